#include "hud/symbols/Symbols.h"

#include <QGuiApplication>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

class SymbolsTest : public QObject {
    Q_OBJECT

private slots:
    // Every symbol the card, the tray and the preferences name must draw something.
    void everyNameUsedDraws_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name :
             {"camera.viewfinder", "xmark", "doc.on.doc.fill", "doc.on.doc", "checkmark", "trash",
              "trash.fill", "square.and.arrow.up", "pencil.tip.crop.circle", "folder",
              "checkmark.circle.fill", "trash.circle.fill", "power", "doc.on.clipboard",
              "speaker.wave.2", "timer", "arrow.up.right.square", "play.circle.fill", "keyboard"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }
    void everyNameUsedDraws()
    {
        QFETCH(QString, name);
        QVERIFY(symbols::names().contains(name));
        QVERIFY(!symbols::icon(name).isNull());
        const QImage image = symbols::render(name, QSize(48, 48), QColor(u"#10c28a"_s));
        int inked = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() == 255) {
                    ++inked;
                    // Tinted through and through: no trace of the drawing's own black.
                    QCOMPARE(pixel.rgb(), QColor(u"#10c28a"_s).rgb());
                }
            }
        }
        QVERIFY2(inked > 40, qPrintable(u"%1 pixels"_s.arg(inked)));
        QVERIFY2(inked < 48 * 48 * 3 / 4, "a symbol, not a filled square");
    }

    void unknownNameDrawsNothing()
    {
        QVERIFY(symbols::icon(u"no.such.symbol"_s).isNull());
        const QImage image = symbols::render(u"no.such.symbol"_s, QSize(16, 16), Qt::red);
        QCOMPARE(image.size(), QSize(16, 16));
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                QCOMPARE(image.pixelColor(x, y).alpha(), 0);
            }
        }
    }
};

QTEST_MAIN(SymbolsTest)
#include "tst_symbols.moc"
