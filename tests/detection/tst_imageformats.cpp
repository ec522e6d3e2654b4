#include "LogCapture.h"
#include "TestHome.h"

#include "detection/ImageDensity.h"
#include "detection/ImageLoader.h"
#include "platform/PlatformFactory.h"
#ifdef Q_OS_LINUX
#include "platform/linux/HeifDecoder.h"
#endif

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

QByteArray be32(quint32 v)
{
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

QByteArray chunk(const QByteArray &type, const QByteArray &body)
{
    return be32(quint32(body.size())) + type + body + be32(crc32(type + body));
}

// A well-formed PNG whose header claims width x height: black, decodable in full when
// `decodable` (else its data is a few bytes), so that only the size check refuses it.
QByteArray pngClaiming(quint32 width, quint32 height, bool decodable = false)
{
    const QByteArray ihdr = be32(width) + be32(height) + QByteArray("\x08\x02\x00\x00\x00", 5);
    const QByteArray idat = decodable ? qCompress(QByteArray(height * (1 + width * 3), 0)).mid(4)
                                      : QByteArray::fromHex("789c63000000010001");
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", idat) +
           chunk("IEND", {});
}

QImage teal(int width, int height, int dotsPerMeter = 0)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(16, 194, 138));
    if (dotsPerMeter) {
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
    }
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class ImageFormatsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_platform = createPlatform({}); }

#ifdef Q_OS_LINUX
    // libheif is opened at the first HEIC: without it, no picture and one clear line, no crash.
    void heicWithoutLibheifIsRefused()
    {
        test::LogCapture log;
        const QByteArray heic = QByteArray::fromHex("0000001866747970") + "heic";
        QVERIFY(heif::decode(heic, 1 << 20, "libheif-absent.so.1").isNull());
        QVERIFY(heif::decode(heic, 1 << 20, "libheif-absent.so.1").isNull());
        QCOMPARE(log.lines().size(), 1);
        QVERIFY2(log.lines().first().contains(u"HEIC pictures cannot be shown: libheif-absent"_s),
                 qPrintable(log.lines().first()));
    }
#endif

    // Every format a screenshot comes in loads, in its colours. The size the log reports is in
    // points: pixels at 72 an inch where the file records a density, pixels where it records
    // none. Damaged headers never stop the image.
    void pointSize_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QSize>("points");
        const QImage retina = teal(2880, 1800, 5669); // 144 dpi, as written
        const QByteArray png144 = encoded(retina, "PNG");
        QTest::newRow("PNG at 144 dpi") << png144 << QSize(1440, 900);
        const qsizetype phys = png144.indexOf("pHYs");
        QVERIFY(phys > 4);
        QByteArray bare = png144;
        bare.remove(phys - 4, 4 + 4 + 9 + 4);
        QTest::newRow("PNG without a density") << bare << QSize(2880, 1800);
        QByteArray aspectOnly = png144;
        aspectOnly[phys + 4 + 8] = '\0'; // the same numbers, as a ratio only
        aspectOnly.replace(phys + 13, 4, be32(crc32(aspectOnly.mid(phys, 13))));
        QTest::newRow("PNG with an aspect ratio only") << aspectOnly << QSize(2880, 1800);
        // 72.009 dpi on the way back: still a pixel a point.
        QTest::newRow("PNG at 72 dpi")
            << encoded(teal(2880, 1800, 2835), "PNG") << QSize(2880, 1800);
        QTest::newRow("JPEG at 144 dpi") << encoded(retina, "JPEG") << QSize(1440, 900);
        QTest::newRow("TIFF at 144 dpi") << encoded(retina, "TIFF") << QSize(1440, 900);

        // A JPEG whose only density is an Exif block pointing far past its end.
        QByteArray exif = encoded(teal(40, 30), "JPEG");
        const qsizetype jfif = exif.indexOf("JFIF");
        QVERIFY(jfif > 0);
        exif[jfif + 7] = '\0'; // JFIF units: aspect only
        const QByteArray app1 =
            QByteArray(QByteArray("Exif\0\0", 6) + QByteArray("MM\0*", 4) + be32(0x7ffffff0));
        exif.insert(2, QByteArray(QByteArray("\xff\xe1", 2) +
                                  be32(quint32(app1.size() + 2)).right(2) + app1));
        QTest::newRow("JPEG with a broken Exif block") << exif << QSize(40, 30);

        QTemporaryDir dir;
        QVERIFY(teal(320, 200).save(dir.filePath(u"a.png"_s)));
        QProcess enc;
        enc.start(u"heif-enc"_s,
                  {u"-q"_s, u"90"_s, u"-o"_s, dir.filePath(u"a.heic"_s), dir.filePath(u"a.png"_s)});
        QVERIFY2(enc.waitForFinished(60000) && enc.exitCode() == 0,
                 enc.readAllStandardError().constData());
        QFile heic(dir.filePath(u"a.heic"_s));
        QVERIFY(heic.open(QIODevice::ReadOnly));
        QTest::newRow("HEIC") << heic.readAll() << QSize(320, 200);
    }
    void pointSize()
    {
        QFETCH(QByteArray, data);
        test::TestHome home;
        QFile file(home.file(u"shot"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
        file.close();
        QSize reported;
        const QImage loaded =
            imageloader::load(file.fileName(), m_platform->detection(), &reported);
        QTEST(reported, "points");
        const QColor centre = loaded.pixelColor(loaded.width() / 2, loaded.height() / 2);
        QVERIFY2(qAbs(centre.green() - 194) < 12 && qAbs(centre.red() - 16) < 12,
                 qPrintable(centre.name()));
    }

    // What capture tools really write: an 8K screen (past Qt's own decoding limit), full-page
    // captures, and files with bytes after the end. Headers claiming sizes no screen has are
    // refused (size 0 x 0) before anything is allocated for them.
    void decodedSize_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QSize>("size");
        QImage eightK(7680, 4320, QImage::Format_RGB32);
        eightK.fill(Qt::darkBlue);
        QTest::newRow("8K PNG") << encoded(eightK, "PNG") << eightK.size();
        QImage tall(1000, 17000, QImage::Format_RGB32);
        tall.fill(Qt::darkGreen);
        QTest::newRow("1000 x 17000 PNG") << encoded(tall, "PNG") << tall.size();
        const QImage small(64, 48, QImage::Format_RGB32);
        QTest::newRow("PNG with bytes after its end")
            << encoded(small, "PNG") + QByteArray(300, 'x') << small.size();
        QByteArray bulky = encoded(small, "PNG");
        bulky.insert(8 + 25, chunk("tEXt", "Comment" + QByteArray(1, '\0') +
                                               QByteArray(3 * 1024 * 1024, 'a')));
        QTest::newRow("PNG with a 3 MB text chunk") << bulky << small.size();
        QTest::newRow("JPEG with bytes after its end")
            << encoded(small, "JPEG") + QByteArray(300, '\xff') << small.size();
        QTest::newRow("70000 x 10 PNG, too wide") << pngClaiming(70000, 10, true) << QSize(0, 0);
        QTest::newRow("16384 x 16384 PNG, too many pixels")
            << pngClaiming(16384, 16384) << QSize(0, 0);
        QByteArray jpeg = encoded(QImage(16, 16, QImage::Format_RGB32), "JPEG");
        const qsizetype sof = jpeg.indexOf("\xff\xc0");
        QVERIFY(sof > 0);
        jpeg.replace(sof + 5, 4, QByteArray("\xfd\xe8\xfd\xe8", 4)); // 65000 x 65000
        QTest::newRow("65000 x 65000 JPEG") << jpeg << QSize(0, 0);
    }
    void decodedSize()
    {
        QFETCH(QByteArray, data);
        QTEST(imageloader::decode(data, m_platform->detection()).size(), "size");
    }

    void completeness_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("complete");
        const QImage image(64, 64, QImage::Format_RGB32);
        const QByteArray png = encoded(image, "PNG");
        const QByteArray jpeg = encoded(image, "JPEG");
        QTest::newRow("png cut short") << png.left(png.size() - 20) << false;
        QTest::newRow("jpeg with a little padding") << jpeg + QByteArray(16, '\0') << true;
        QTest::newRow("jpeg cut short") << jpeg.left(jpeg.size() - 2) << false;
        QTest::newRow("something else") << QByteArray("II*\0 some tiff") << true;
        // Cut short, with a thumbnail of its own (and its own end marker) up front.
        const QByteArray thumbnail = encoded(QImage(8, 8, QImage::Format_RGB32), "JPEG");
        const QByteArray app1 = QByteArray("Exif\0\0", 6) + thumbnail;
        QByteArray withThumbnail = jpeg;
        withThumbnail.insert(2, QByteArray(QByteArray("\xff\xe1", 2) +
                                           be32(quint32(app1.size() + 2)).right(2) + app1));
        QTest::newRow("jpeg with a thumbnail") << withThumbnail << true;
        QTest::newRow("jpeg with a thumbnail, cut short")
            << withThumbnail.left(withThumbnail.size() - 40) << false;
    }
    void completeness()
    {
        QFETCH(QByteArray, data);
        QTEST(imageloader::looksComplete(data), "complete");
    }

private:
    std::unique_ptr<Platform> m_platform;
};

QTEST_GUILESS_MAIN(ImageFormatsTest)
#include "tst_imageformats.moc"
