#pragma once

#include <QImage>
#include <QString>

namespace orvane {

class DetectionServices;

// The screenshot's whole picture, read again from its file for the clipboard: a card keeps only
// a thumbnail. Null when the file is gone, is no longer a regular file, or no longer holds an
// image of a sane size. Blocking; meant for a worker thread.
QImage readFullImage(const QString &path, DetectionServices &detection);
// The same from the file's bytes, as the card kept them.
QImage decodeFullImage(const QByteArray &encoded, DetectionServices &detection);

} // namespace orvane
