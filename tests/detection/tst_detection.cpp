#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "detection/DetectionRules.h"
#include "detection/ImageLoader.h"
#include "detection/ScreenshotWatcher.h"
#include "platform/PlatformFactory.h"
#include "settings/AppState.h"
#ifdef Q_OS_LINUX
#include "platform/linux/HeifDecoder.h"
#endif

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>
#include <zlib.h>

using namespace orvane;
using namespace orvane::test;
using namespace Qt::StringLiterals;

namespace {

// Writes `bytes` and, unless 0, dates the file `modified` seconds after the epoch.
void put(const QString &path, const QByteArray &bytes, double modified = 0)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush());
    QVERIFY(!modified || file.setFileTime(QDateTime::fromMSecsSinceEpoch(qint64(modified * 1000)),
                                          QFileDevice::FileModificationTime));
}

QByteArray be32(quint32 v)
{
    return QByteArray::fromHex(QByteArray::number(v, 16).rightJustified(8, '0'));
}

QByteArray chunk(const QByteArray &type, const QByteArray &body)
{
    const QByteArray crcd = type + body;
    return be32(quint32(body.size())) + crcd +
           be32(quint32(
               crc32(0, reinterpret_cast<const Bytef *>(crcd.constData()), uInt(crcd.size()))));
}

// `jpeg` with an Exif block holding `body` up front.
QByteArray withExif(QByteArray jpeg, const QByteArray &body)
{
    const QByteArray app1 = QByteArray("Exif\0\0", 6) + body;
    return jpeg.insert(2, "\xff\xe1" + be32(quint32(app1.size() + 2)).right(2) + app1);
}

const QColor tealColour(16, 194, 138);

// 72 dots an inch unless told: a point for every pixel, whatever screen the test runs on.
QImage teal(QSize size = {64, 48}, int dotsPerMeter = 2835, QColor colour = tealColour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
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

// A watcher on a fresh home, its clock, scheduler, clipboard and card under the test's control.
struct Rig {
    TestHome home;
    RecordingPlatform platform{home.file(u"settings.ini"_s)};
    AppState state{platform, platform.openSettings()};
    ScreenshotWatcher watcher{state, platform, platform};
    double now = 1'800'000'000.0;
    QList<int> delays;
    QStringList shown;    // the cards' file names, and "clipboard…" for each copy
    QList<QImage> images; // the cards'
    QList<QSize> points;
    QList<QByteArray> kept;
    QList<std::function<void()>> held; // inspections, until the test settles
    QString desktop = home.file(u"Desktop"_s);

    Rig()
    {
        QDir().mkpath(desktop);
        watcher.setClock([this] { return now; });
        watcher.setScheduler([this](int ms, QObject *, std::function<void()> work) {
            delays << ms;
            held << std::move(work);
        });
        watcher.setPresenter([this](const QString &path, const QImage &image, const QSize &size,
                                    const QByteArray &bytes) {
            shown << QFileInfo(path).fileName();
            images << image;
            points << size;
            kept << bytes;
        });
        watcher.setClipboard([this](const QImage &image, const QByteArray &png) {
            const bool same = !png.isEmpty() && QImage::fromData(png, "PNG") == image;
            shown << (same ? u"clipboard, its PNG"_s : u"clipboard"_s);
        });
    }
    QString file(const QString &name) const { return desktop + u'/' + name; }
    QString fresh(const QString &name, double age = 1.0, const QImage &image = teal())
    {
        put(file(name), encoded(image, name.endsWith(u".jpg"_s) ? "JPEG" : "PNG"), now - age);
        return file(name);
    }
    // Runs a batch through to its end: inspections, decodes and their results.
    void report(const QStringList &paths)
    {
        watcher.handleNewFiles(paths);
        settle();
    }
    void settle()
    {
        for (int i = 0; i < 4; ++i) {
            for (const auto &work : std::exchange(held, {})) {
                work();
            }
            QCoreApplication::processEvents();
            watcher.waitForDecodes();
        }
        QCoreApplication::processEvents();
    }
};

} // namespace

class DetectionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_platform = createPlatform({}); }

    void pureRules()
    {
        const QStringList images{u"SHOT.PNG"_s, u"a.JpEg"_s, u"a.heic"_s, u"a.tiff"_s};
        for (const QString &path :
             images + QStringList{u"a.tif"_s, u"png"_s, u"a.png.part"_s, u"d/x.png/file"_s}) {
            QVERIFY2(detection::hasImageExtension(path) == images.contains(path), qPrintable(path));
        }
        // The resolved folder, the user's folder if it exists, and the desktop, each once.
        const QString tmp = QDir::tempPath(), desktop = u"/home/a/Desktop"_s;
        QCOMPARE(detection::watchedSet(desktop, std::nullopt, desktop), QStringList{desktop});
        QCOMPARE(detection::watchedSet(u"/r"_s, tmp, desktop),
                 QStringList({u"/r"_s, tmp, desktop}));
        QCOMPARE(detection::watchedSet(tmp, u"/nonexistent"_s, desktop),
                 QStringList({tmp, desktop}));
    }

    // A restart replaces the stream; a batch waits for a later turn of the event loop; a file
    // shown is not shown again for 2 s however often it is reported, another one is.
    void streamBatchesRepeatsAndPause()
    {
        Rig rig;
        LogCapture log;
        rig.platform.takeCalls();
        rig.watcher.start();
        rig.watcher.start();
        const QString create = u"createStream:"_s + rig.desktop;
        QCOMPARE(
            rig.platform.takeCalls().filter(u"Stream"_s),
            QStringList({create, u"startStream"_s, u"stopStream"_s, create, u"startStream"_s}));
        const QString line =
            u"[Orvane] FSEventStream started: YES, monitoring: [\""_s + rig.desktop + u"\"]"_s;
        QCOMPARE(log.lines(), QStringList({line, line}));

        const QString shot = rig.fresh(u"a.png"_s, 0.0);
        rig.platform.stream->onBatch({shot, shot}); // the same path twice in one batch
        QCOMPARE(rig.delays.size(), 0);
        rig.watcher.handleNewFiles({shot}); // and again while the first look is pending
        rig.settle();
        QCOMPARE(rig.delays, QList<int>({100, 100})); // inspected 0.1 s later, once a batch
        rig.now += 0.5;
        rig.report({shot});
        QCOMPARE(rig.shown, QStringList{u"a.png"_s});
        rig.now += 1.5; // exactly 2.0 s after it was taken
        rig.report({shot});
        rig.now += 0.1;
        rig.report({rig.fresh(u"b.png"_s, 0.0)});
        QCOMPARE(rig.shown, QStringList({u"a.png"_s, u"a.png"_s, u"b.png"_s}));

        // Paused, batches are dropped, though an inspection already scheduled still runs; the
        // copy comes before the card.
        rig.state.setAutoCopyOnCapture(true);
        const QString c = rig.fresh(u"c.png"_s);
        rig.state.setIsPaused(true);
        rig.report({c});
        rig.state.setIsPaused(false);
        rig.platform.takeCalls();
        rig.watcher.handleNewFiles({c});
        rig.state.setIsPaused(true);
        rig.settle();
        QCOMPARE(rig.shown.mid(3), QStringList({u"clipboard, its PNG"_s, u"c.png"_s}));
        QCOMPARE(rig.platform.takeCalls(), QStringList{u"playSystemSound:Tink"_s});

        rig.platform.streamStarts = false;
        rig.watcher.start();
        QVERIFY(log.lines().last().startsWith(u"[Orvane] FSEventStream started: NO"_s));
        rig.platform.streamCreates = false;
        rig.watcher.start();
        QCOMPARE(log.lines().last(), u"[Orvane] ERROR: Failed to create FSEventStream"_s);
        QVERIFY(!rig.watcher.isMonitoring());
    }

    // One file: decoded as reported, shown only at the look 0.1 s later and only if still the
    // version decoded. Its name is logged as it is, on one line; the card gets the size in points
    // and the bytes the picture came from.
    void oneFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("age");
        QTest::addColumn<QString>("logged"); // empty: no card
        QTest::addColumn<QSize>("points");   // of a 64 x 48 picture
        QTest::addColumn<QString>("change"); // made between the decode and the look
        const auto row = [](const char *tag, const QString &name, double age, const QString &logged,
                            QSize points = {64, 48}, const QString &change = {}) {
            QTest::newRow(tag) << name << age << logged << points << change;
        };
        row("exactly 10 s old", u"edge.png"_s, 10.0, u"edge.png"_s);
        row("just over 10 s: never decoded", u"old.png"_s, 10.01, {});
        row("dated in the future", u"future.png"_s, -30.0, u"future.png"_s);
        row("hidden temporary file", u".tmp-shot.png"_s, 1.0, {});
        row("editor backup", u"~shot.png"_s, 1.0, {});
        row("placeholders", u"100%2 %1.png"_s, 1.0, u"100%2 %1.png"_s);
        row("newline", u"two\nlines.png"_s, 1.0, u"two\\nlines.png"_s);
        row("terminal escape", u"\x1b[2Jx.png"_s, 1.0, u"\\x1b[2Jx.png"_s);
        row("144 dpi", u"retina.png"_s, 1.0, u"retina.png"_s, {32, 24});
        // Same length and modification time: only the contents differ.
        row("rewritten in place", u"a.png"_s, 1.0, u"a.png"_s, {64, 48}, u"rewrite"_s);
        row("vanished", u"a.png"_s, 1.0, {}, {64, 48}, u"remove"_s);
    }
    void oneFile()
    {
        QFETCH(QString, name);
        QFETCH(double, age);
        QFETCH(QString, logged);
        QFETCH(QSize, points);
        QFETCH(QString, change);
        Rig rig;
        LogCapture log;
        const QString path =
            rig.fresh(name, age, teal({64, 48}, points.width() == 64 ? 2835 : 5669));
        rig.watcher.handleNewFiles({path});
        QCOMPARE(rig.watcher.preparedCount(), int(!logged.isEmpty() || !change.isEmpty()));
        rig.watcher.waitForDecodes();
        QCoreApplication::processEvents();
        QVERIFY(rig.shown.isEmpty() && log.lines().isEmpty());

        if (change == u"rewrite"_s) { // the same length: a longer picture would be cut short
            const QByteArray red = encoded(teal({64, 48}, 2835, Qt::red), "PNG");
            put(path, red.leftJustified(QFileInfo(path).size(), '\0', true), rig.now - age);
        } else if (change == u"remove"_s) {
            QVERIFY(QFile::remove(path));
        }
        rig.settle();
        QCOMPARE(rig.watcher.preparedCount(), 0);
        const QString line = u"[Orvane] ✅ Screenshot detected: %1 (%2x%3)"_s.arg(
            logged, QString::number(points.width()), QString::number(points.height()));
        QCOMPARE(log.lines(), logged.isEmpty() ? QStringList() : QStringList{line});
        QCOMPARE(rig.shown, logged.isEmpty() ? QStringList() : QStringList{name});
        if (!logged.isEmpty()) {
            QCOMPARE(rig.images.first().pixelColor(10, 10),
                     change.isEmpty() ? tealColour : QColor(Qt::red));
            QCOMPARE(rig.points, QList<QSize>{points});
            QCOMPARE(QImage::fromData(rig.kept.first()), rig.images.first());
        }
    }

    // A reported folder stands for its new images; a name whose bytes text cannot hold is
    // skipped, never standing for the file whose name it would turn into. A burst is decoded one
    // file at a time in the order it came: one picture in memory, the newest card last however
    // slow the first decode. Nothing is shown for what is not a finished image; a file being
    // written is looked at again when reported again.
    void batches()
    {
        Rig rig;
        LogCapture log;
        rig.fresh(u"new.png"_s);
        const QString lookAlike = rig.fresh(u"\uFFFD\uFFFD.png"_s);
        const QByteArray raw = QFile::encodeName(rig.desktop) + "/\xff\xfe.png";
        // Some file systems refuse such names.
        const bool odd = ::link(QFile::encodeName(lookAlike).constData(), raw.constData()) == 0;
        rig.report({rig.desktop});
        rig.shown.sort();
        QCOMPARE(rig.shown, QStringList({u"new.png"_s, u"\uFFFD\uFFFD.png"_s}));
        QCOMPARE(log.lines().contains(
                     u"[Orvane] Skipped a file whose name is not valid text: \\xff\\xfe.png"_s),
                 odd);

        rig.shown.clear();
        QStringList burst{rig.fresh(u"shot 0.png"_s, 1.0, teal({3840, 2160}))};
        for (int i = 1; i < 6; ++i) {
            burst << rig.fresh(u"shot %1.png"_s.arg(i));
        }
        rig.watcher.handleNewFiles(burst);
        QCOMPARE(rig.watcher.preparedCount(), 1);
        rig.settle();
        QCOMPARE(rig.shown, QStringList(burst).replaceInStrings(rig.desktop + u'/', QString()));
        QCOMPARE(rig.watcher.preparedCount(), 0);

        rig.shown.clear();
        QCOMPARE(QProcess::execute(u"mkfifo"_s, {rig.file(u"fifo.png"_s)}), 0);
        QVERIFY(QFile::link(u"/dev/zero"_s, rig.file(u"device.png"_s)));
        for (const QString &name : {u"fifo.png"_s, u"device.png"_s}) {
            // The clock at the item's own time (a device's is old), so that each is looked at.
            rig.now = QFileInfo(rig.file(name)).lastModified().toMSecsSinceEpoch() / 1000.0 + 1;
            rig.report({rig.file(name)});
        }
        const QString path = rig.file(u"slow.jpg"_s);
        const QByteArray whole = encoded(teal({200, 100}), "JPEG");
        put(path, whole.left(whole.size() / 2), rig.now);
        rig.report({path});
        QVERIFY(rig.shown.isEmpty());
        put(path, whole, rig.now);
        rig.now += 0.3;
        rig.report({path});
        QCOMPARE(rig.shown, QStringList{u"slow.jpg"_s});
    }

#ifdef Q_OS_LINUX
    // libheif is opened at the first HEIC: without it, no picture and one clear line, no crash.
    void heicWithoutLibheifIsRefused()
    {
        LogCapture log;
        const QByteArray heic = QByteArray::fromHex("0000001866747970") + "heic";
        QVERIFY(heif::decode(heic, 1 << 20, "libheif-absent.so.1").isNull());
        QVERIFY(heif::decode(heic, 1 << 20, "libheif-absent.so.1").isNull());
        QCOMPARE(log.lines().size(), 1);
        QVERIFY2(log.lines().first().contains(u"HEIC pictures cannot be shown: libheif-absent"_s),
                 qPrintable(log.lines().first()));
    }
#endif

    // What capture tools write loads whole, in its colours, or not at all; sizes no screen has
    // are refused from the header. Points: pixels at 72 an inch where a density is recorded.
    void load_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QSize>("size"); // 0 x 0: refused
        QTest::addColumn<QSize>("points");
        const auto row = [](const char *tag, const QByteArray &data, QSize size,
                            QSize points = {}) {
            QTest::newRow(tag) << data << size << (points.isValid() ? points : size);
        };
        const QImage retina = teal({2880, 1800}, 5669); // 144 dpi, as written
        row("JPEG at 144 dpi", encoded(retina, "JPEG"), retina.size(), {1440, 900});
        row("TIFF at 144 dpi", encoded(retina, "TIFF"), retina.size(), {1440, 900});

        // A JPEG whose only density is an Exif block pointing far past its end.
        QByteArray exif = encoded(teal({40, 30}), "JPEG");
        const qsizetype jfif = exif.indexOf("JFIF");
        QVERIFY(jfif > 0);
        exif[jfif + 7] = '\0'; // JFIF units: aspect only
        row("JPEG with a broken Exif block",
            withExif(exif, QByteArray("MM\0*", 4) + be32(0x7ffffff0)), {40, 30});

        QTemporaryDir dir;
        const QString source = dir.filePath(u"a.png"_s), heic = dir.filePath(u"a.heic"_s);
        QVERIFY(teal({320, 200}).save(source));
        QCOMPARE(QProcess::execute(u"heif-enc"_s, {u"-q"_s, u"90"_s, u"-o"_s, heic, source}), 0);
        QFile encodedHeic(heic);
        row("HEIC", encodedHeic.open(QIODevice::ReadOnly) ? encodedHeic.readAll() : "", {320, 200});

        row("8K PNG", encoded(teal({7680, 4320}), "PNG"), {7680, 4320});
        row("1000 x 17000 PNG", encoded(teal({1000, 17000}), "PNG"), {1000, 17000});
        const QByteArray png = encoded(teal({64, 48}), "PNG");
        row("PNG with bytes after its end", png + QByteArray(300, 'x'), {64, 48});
        const QByteArray text =
            chunk("tEXt", QByteArray("Comment\0", 8) + QByteArray(3 << 20, 'a'));
        row("PNG with a 3 MB text chunk", png.left(33) + text + png.mid(33), {64, 48});
        // Some encoders write the picture as one IDAT chunk: large, but the picture itself.
        const QByteArray row700 = QByteArray(1, '\0') + QByteArray("\x10\xc2\x8a").repeated(700);
        const QByteArray pixels = qCompress(row700.repeated(600), 0).mid(4); // zlib, stored
        QVERIFY(pixels.size() > 1200 * 1024);
        const QByteArray header = be32(700) + be32(600) + QByteArray("\x08\x02\0\0\0", 5);
        row("PNG of one 1.2 MB IDAT chunk",
            png.left(8) + chunk("IHDR", header) + chunk("IDAT", pixels) + chunk("IEND", {}),
            {700, 600});
        row("PNG cut short", png.left(png.size() - 20), {0, 0});
        row("PNG whose pixels are not zlib",
            png.left(8) + chunk("IHDR", header) + chunk("IDAT", QByteArray(5000, 'U')) +
                chunk("IEND", {}),
            {0, 0});
        row("70000 x 10 PNG, too wide", encoded(teal({70000, 10}), "PNG"), {0, 0});
        QByteArray claiming = chunk("IHDR", be32(16384) + be32(16384) + png.mid(24, 5));
        row("16384 x 16384 PNG, too many pixels", png.left(8) + claiming + png.mid(33), {0, 0});
        QByteArray huge = encoded(teal({16, 16}), "JPEG");
        const qsizetype sof = huge.indexOf("\xff\xc0");
        QVERIFY(sof > 0);
        huge.replace(sof + 5, 4, QByteArray("\xfd\xe8\xfd\xe8", 4)); // 65000 x 65000
        row("65000 x 65000 JPEG, too large", huge, {0, 0});

        const QByteArray jpeg = encoded(teal({64, 48}), "JPEG");
        row("JPEG with a little padding", jpeg + QByteArray(16, '\0'), {64, 48});
        // With a thumbnail of its own (and its own end marker) up front.
        const QByteArray withThumbnail = withExif(jpeg, encoded(teal({8, 8}), "JPEG"));
        row("JPEG with a thumbnail", withThumbnail, {64, 48});
        row("JPEG with a thumbnail, cut short", withThumbnail.chopped(40), {0, 0});
    }
    void load()
    {
        QFETCH(QByteArray, data);
        TestHome home;
        put(home.file(u"shot"_s), data);
        QSize reported;
        QByteArray kept;
        LogCapture log;
        const QImage loaded =
            imageloader::load(home.file(u"shot"_s), m_platform->detection(), &reported, &kept);
        QTEST(loaded.size(), "size");
        // One line for a picture refused for its size, with the size; none for a broken one.
        const bool tooLarge = QByteArray(QTest::currentDataTag()).contains("too ");
        QCOMPARE(log.lines().filter(u"[Orvane] Passed over shot: "_s).size(), tooLarge ? 1 : 0);
        // The card keeps what was decoded, byte for byte, to copy it later.
        QCOMPARE(kept, loaded.isNull() ? QByteArray() : data);
        if (!loaded.isNull()) {
            QTEST(reported, "points");
            const QColor centre = loaded.pixelColor(loaded.width() / 2, loaded.height() / 2);
            QVERIFY2(qAbs(centre.green() - 194) < 12 && qAbs(centre.red() - 16) < 12,
                     qPrintable(centre.name()));
        }
    }

private:
    std::unique_ptr<Platform> m_platform;
};

QTEST_MAIN(DetectionTest)
#include "tst_detection.moc"
