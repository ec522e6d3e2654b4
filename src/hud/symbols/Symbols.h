#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

// The program's symbols, named as Apple's SF Symbols are ("trash", "folder", ...): the
// desktop theme's monochrome icon where it has a fitting one, otherwise Orvane's own.
namespace orvane::symbols {

QIcon icon(const QString &name);

// The symbol drawn at `size` pixels in one colour.
QImage render(const QString &name, const QSize &size, const QColor &color);

// Every name Orvane has its own drawing for.
QStringList names();

} // namespace orvane::symbols
