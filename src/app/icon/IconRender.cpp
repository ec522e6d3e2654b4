// Renders the app icon to PNGs during the build:
//   orvane_icon_render ICON.svg SIZE OUT.png [SIZE OUT.png]...
// An OUT ending in .alpha gets the bare coverage, a byte a pixel, row by row: a mask the
// program reads without an image decoder. One ending in .picture gets the drawing itself, in a
// SIZE x SIZE box, as QPicture's recording: the program replays it at any size without the SVG
// code.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The build may run where there is no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4 || args.size() % 2 != 0) {
        std::fputs("usage: orvane_icon_render ICON.svg SIZE OUT.png [SIZE OUT.png]...\n", stderr);
        return 2;
    }
    QSvgRenderer svg(args.at(1));
    if (!svg.isValid()) {
        std::fprintf(stderr, "orvane_icon_render: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (qsizetype i = 2; i < args.size(); i += 2) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        const QString out = args.at(i + 1);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "orvane_icon_render: bad size %s\n", qPrintable(args.at(i)));
            return 2;
        }
        if (out.endsWith(QStringLiteral(".picture"))) {
            QPicture picture;
            QPainter recorder(&picture);
            svg.render(&recorder, QRectF(0, 0, size, size));
            recorder.end();
            if (!QDir().mkpath(QFileInfo(out).path()) || !picture.save(out)) {
                std::fprintf(stderr, "orvane_icon_render: cannot write %s\n", qPrintable(out));
                return 1;
            }
            continue;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        bool written = QDir().mkpath(QFileInfo(out).path());
        if (written && out.endsWith(QStringLiteral(".alpha"))) {
            const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
            QFile file(out);
            written = file.open(QIODevice::WriteOnly);
            for (int y = 0; written && y < size; ++y) {
                written = file.write(reinterpret_cast<const char *>(alpha.constScanLine(y)),
                                     size) == size;
            }
            file.close();
            written = written && file.error() == QFileDevice::NoError;
        } else if (written) {
            written = image.save(out, "PNG");
        }
        if (!written) {
            std::fprintf(stderr, "orvane_icon_render: cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}
