#include "hud/symbols/Symbols.h"

#include <QGuiApplication>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

class SymbolsTest : public QObject {
    Q_OBJECT

private slots:
    // Every symbol the card, the tray and the preferences name draws something, tinted through
    // and through; a name there is no drawing for draws nothing.
    void symbolsDraw()
    {
        const QColor tint(u"#10c28a"_s);
        const QStringList names =
            u"camera.viewfinder xmark doc.on.doc.fill doc.on.doc checkmark trash trash.fill "
            "square.and.arrow.up pencil.tip.crop.circle folder checkmark.circle.fill "
            "trash.circle.fill power doc.on.clipboard speaker.wave.2 timer "
            "arrow.up.right.square play.circle.fill keyboard no.such.symbol"_s.split(u' ');
        for (const QString &name : names) {
            const bool known = name != u"no.such.symbol"_s;
            QVERIFY2(symbols::names().contains(name) == known, qPrintable(name));
            QCOMPARE(symbols::icon(name).isNull(), !known);
            const QImage image = symbols::render(name, QSize(48, 48), tint);
            QCOMPARE(image.size(), QSize(48, 48));
            int inked = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    QVERIFY(known || pixel.alpha() == 0);
                    inked += pixel.alpha() == 255;
                    // No trace of the drawing's own black.
                    QVERIFY(pixel.alpha() < 255 || pixel.rgb() == tint.rgb());
                }
            }
            QVERIFY2(!known || (inked > 40 && inked < 48 * 48 * 3 / 4), qPrintable(name));
        }
    }
};

QTEST_MAIN(SymbolsTest)
#include "tst_symbols.moc"
