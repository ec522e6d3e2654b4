#include "SymbolProvider.h"

#include "Symbols.h"

#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QUrlQuery>

namespace orvane::symbols {

namespace {

class ImageProvider : public QQuickImageProvider {
public:
    ImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override
    {
        const qsizetype query = id.indexOf(u'?');
        const QString name = id.left(query);
        QColor color(Qt::black);
        if (query >= 0) {
            const QUrlQuery options(id.mid(query + 1));
            const QColor asked(options.queryItemValue(QStringLiteral("color"), QUrl::FullyDecoded));
            if (asked.isValid()) {
                color = asked;
            }
        }
        QSize wanted = requestedSize;
        if (wanted.width() <= 0 && wanted.height() <= 0) {
            wanted = QSize(24, 24);
        } else if (wanted.width() <= 0) {
            wanted.setWidth(wanted.height());
        } else if (wanted.height() <= 0) {
            wanted.setHeight(wanted.width());
        }
        const QImage image = render(name, wanted, color);
        if (size) {
            *size = image.size();
        }
        return image;
    }
};

} // namespace

void registerImageProvider(QQmlEngine &engine)
{
    if (!engine.imageProvider(QStringLiteral("symbol"))) {
        engine.addImageProvider(QStringLiteral("symbol"), new ImageProvider);
    }
}

} // namespace orvane::symbols
