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
    void symbolsDraw_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("known");
        for (const char *name :
             {"camera.viewfinder", "xmark", "doc.on.doc.fill", "doc.on.doc", "checkmark", "trash",
              "trash.fill", "square.and.arrow.up", "pencil.tip.crop.circle", "folder",
              "checkmark.circle.fill", "trash.circle.fill", "power", "doc.on.clipboard",
              "speaker.wave.2", "timer", "arrow.up.right.square", "play.circle.fill", "keyboard"}) {
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        }
        QTest::newRow("unknown") << u"no.such.symbol"_s << false;
    }
    void symbolsDraw()
    {
        QFETCH(QString, name);
        QFETCH(bool, known);
        QCOMPARE(symbols::names().contains(name), known);
        QCOMPARE(symbols::icon(name).isNull(), !known);
        const QColor tint(u"#10c28a"_s);
        const QImage image = symbols::render(name, QSize(48, 48), tint);
        QCOMPARE(image.size(), QSize(48, 48));
        int inked = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                QVERIFY(known || pixel.alpha() == 0);
                if (pixel.alpha() == 255) {
                    ++inked;
                    QCOMPARE(pixel.rgb(), tint.rgb()); // no trace of the drawing's own black
                }
            }
        }
        QVERIFY2(!known || (inked > 40 && inked < 48 * 48 * 3 / 4),
                 qPrintable(QString::number(inked)));
    }
};

QTEST_MAIN(SymbolsTest)
#include "tst_symbols.moc"
