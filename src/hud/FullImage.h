#pragma once

#include "platform/Files.h"

#include <QImage>
#include <QString>

namespace orvane {

class DetectionServices;

// The screenshot's whole picture, read again from its file for the clipboard: a card keeps only
// a thumbnail. Null when the file is gone, is no longer a regular file, or no longer holds an
// image of a sane size. Blocking; meant for a worker thread.
QImage readFullImage(const QString &path, DetectionServices &detection);
// The same from the file the card holds open.
QImage readHeldImage(const files::HeldFile &held, DetectionServices &detection);

} // namespace orvane
