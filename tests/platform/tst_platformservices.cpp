// GLib first: its headers use names that Qt defines as keywords.
#include <gio/gio.h>

#include "FakeTools.h"
#include "LogCapture.h"
#include "TestHome.h"

#include "platform/Files.h"
#include "platform/GettextCatalogue.h"
#include "platform/ScreenshotFolders.h"
#include "platform/TerminationSignals.h"
#include "platform/Translations.h"
#include "platform/TrashUndo.h"
#include "platform/WorkArea.h"
#include "platform/linux/EventSounds.h"
#include "platform/linux/GioLibrary.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/SessionBusWatch.h"
#include "platform/macos/MacPlatform.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <numeric>
#include <unistd.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// GLib reads the XDG folders once per process, so the whole run shares one home.
test::TestHome *home = nullptr;
// A file name a shell would take apart if it ever saw it unquoted.
const QString awkwardName = u"Shot \"1\" $HOME `id` 'a'.png"_s;
// gnome-screenshot's folder, as its settings' default; the same in every process.
const QString gnomeScreenshotFolder = u"/srv/Gnome Shots"_s;

// Executable, for the scripts among them.
bool write(const QString &path, const QByteArray &content = "png")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Desktop entries "id|Name|Exec|more lines" ("@/": the programs' folder; each program notes its
// arguments) after an editor and the default viewer, and GIO's cache of them by type; written
// before GIO first reads them, as it does once.
bool installApplications(const QStringList &entries)
{
    QByteArray cache = "[MIME Cache]\ninode/directory=viewer.desktop;\nimage/png=";
    for (const QString &entry :
         QStringList{u"editor.desktop|Editor|@/editor %f|MimeType=image/png;"_s,
                     u"viewer.desktop|Recording Viewer|@/record-opened %f|"
                     "MimeType=image/png;inode/directory;"_s} +
             entries) {
        const QStringList field = entry.split(u'|');
        const QString exec = QString(field[2]).replace(u"@/"_s, home->file(u"bin/"_s));
        cache += field[3].contains(u"image/png"_s) ? field[0].toUtf8() + ';' : QByteArray();
        if (!write(exec.section(u' ', 0, 0),
                   "#!/bin/sh\nprintf '%s\\036' \"$@\" >> \"$0.log\"\n") ||
            !write(home->file(u".local/share/applications/"_s + field[0]),
                   u"[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n%3\n"_s
                       .arg(field[1], exec, field[3])
                       .toUtf8())) {
            return false;
        }
    }
    return write(home->file(u".local/share/applications/mimeinfo.cache"_s), cache + '\n') &&
           write(home->file(u".config/mimeapps.list"_s),
                 "[Default "
                 "Applications]\nimage/png=viewer.desktop\ninode/directory=viewer.desktop\n");
}

// Trashed through GIO, whose answer comes from another thread.
std::optional<TrashedFile> trash(LinuxPlatform &platform, const QString &path)
{
    std::optional<TrashedFile> answer;
    std::atomic<bool> answered{false};
    platform.moveToTrash(path, [&](const auto &t) { answer = t, answered = true; });
    if (!QTest::qWaitFor([&] { return answered.load(); }, 10000)) {
        qFatal("the Trash never answered for %s", qPrintable(path));
    }
    return answer;
}

// The applications' ids, without ".desktop", in order.
QString ids(const QList<FileApplication> &applications)
{
    QStringList ids;
    for (const FileApplication &app : applications) {
        ids << app.id.chopped(8);
    }
    return ids.join(u' ');
}

// What `program` in the programs' folder was started with, each time.
QStringList opened(const QString &program = u"record-opened"_s)
{
    return QString::fromUtf8(readAll(home->file(u"bin/"_s + program + u".log"_s)))
        .split(u'\036', Qt::SkipEmptyParts);
}

// Stands in for the file manager on the session bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public slots:
    void ShowItems(const QStringList &uris, const QString &) { shown << uris; }
};

// A stream on real folders of a fresh folder, and what it reported.
struct Watch {
    QTemporaryDir dir{home->file(u"watch-XXXXXX"_s)};
    test::LogCapture log;
    LinuxPlatform platform{ProcessContext{}};
    QList<QStringList> batches;
    std::unique_ptr<FolderEventStream> stream;
    QString file(const QString &relative) const { return dir.filePath(relative); }
    bool open(const QStringList &folders)
    {
        stream = platform.detection().createFolderEventStream(
            folders, [this](const QStringList &paths) { batches << paths; });
        return stream && stream->start();
    }
    QStringList reported() const
    {
        return std::accumulate(batches.begin(), batches.end(), QStringList());
    }
};

// Compiled schemas in the places GSettings looks, for the runs in a process of their own; made
// once. gnome-screenshot's, a look-alike whose id only begins with it, and another program's.
QString schemaFolders()
{
    static const QString folders = [] {
        const QString root = home->file(u"schemas"_s), data = u"/glib-2.0/schemas"_s;
        const auto compile = [&root](const QString &folder, const QByteArray &id) {
            const QString dir = root + u'/' + folder;
            QByteArray path = '/' + id + '/';
            path.replace('.', '/');
            const QByteArray xml = "<schemalist><schema id=\"" + id + "\" path=\"" + path +
                                   "\"><key name=\"auto-save-directory\" type=\"s\"><default>'" +
                                   QUrl::fromLocalFile(gnomeScreenshotFolder).toEncoded() +
                                   "'</default></key></schema></schemalist>";
            return write(dir + u"/test.gschema.xml"_s, xml) &&
                   QProcess::execute(QStringLiteral(ORVANE_GLIB_COMPILE_SCHEMAS),
                                     {u"--strict"_s, dir}) == 0;
        };
        const QByteArray gnome = "org.gnome.gnome-screenshot", other = "com.tarnwell.orvane.test";
        // Not a schema file, "seam": the id's only copy ends one byte into the scan's second
        // 64 KiB read.
        if (!compile(u"gnome"_s, gnome) || !compile(u"data-gnome"_s + data, gnome) ||
            !compile(u"home/.local/share"_s + data, gnome) ||
            !compile(u"lookalike"_s, gnome + "-tools") || !compile(u"other"_s, other) ||
            !compile(u"data-other"_s + data, other) || !QDir().mkpath(root + u"/empty"_s) ||
            !write(root + u"/seam/gschemas.compiled"_s, QByteArray(64 * 1024 - 25, 'x') + gnome)) {
            qFatal("could not compile the test's schemas");
        }
        return root;
    }();
    return folders;
}

// In the first process, runs the current test (row) again in a process of its own, with
// `environment` ("NAME=VALUE", or "NAME" to unset; "@": the schemas' folders) over a home of its
// own, and says true: GLib reads schemas and settings once per process, and GIO once loaded stays.
bool ranInChild(QStringList environment = {})
{
    if (qEnvironmentVariableIsSet("ORVANE_TEST_CHILD")) {
        return false;
    }
    if (!environment.filter(u"@"_s).isEmpty()) {
        environment.replaceInStrings(u"@"_s, schemaFolders());
    }
    QProcess child;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(u"ORVANE_TEST_CHILD"_s, environment.join(u'\n'));
    child.setProcessEnvironment(variables);
    child.setProcessChannelMode(QProcess::MergedChannels);
    const char *row = QTest::currentDataTag();
    child.start(QCoreApplication::applicationFilePath(),
                {QLatin1String(QTest::currentTestFunction()) +
                 (row ? u':' + QString::fromUtf8(row) : QString())});
    if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        QTest::qFail(child.readAll().constData(), __FILE__, __LINE__);
    }
    return true;
}

} // namespace

// The platform services on Linux, and the macOS ones that run through command lines.
class PlatformServicesTest : public QObject {
    Q_OBJECT

private slots:
    // A session bus that goes away is said once in the log; Orvane goes on.
    void sessionBusLost()
    {
        QProcess daemon;
        daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        QVERIFY(daemon.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        QDBusConnection bus = QDBusConnection::connectToBus(address, u"lost"_s);
        QVERIFY(bus.isConnected());
        test::LogCapture log;
        SessionBusWatch watch(bus);
        daemon.kill();
        daemon.waitForFinished();
        QTRY_COMPARE_WITH_TIMEOUT(log.lines().filter(u"Lost the session bus"_s).size(), 1, 10000);
        QDBusConnection::disconnectFromBus(u"lost"_s);
    }

    // The signal handler leaves errno as the code it interrupted had it, even when its own
    // write fails (its pipe full of signals not yet handled).
    void signalHandlerKeepsErrno()
    {
        TerminationSignals termination;
        bool kept = true;
        for (int i = 0; i < 100000 && kept; ++i) {
            errno = EDOM;
            ::raise(SIGHUP);
            kept = errno == EDOM;
        }
        QVERIFY(kept);
    }

    // A card's bytes moved out of memory read back as they were, leave no name in the folder
    // and close with their last copy; where no file can be made they stay in memory.
    void keptBytes()
    {
        QTemporaryDir folder;
        const auto openFiles = [&folder] { // of those this process holds, the ones in `folder`
            const QStringList fds = QDir(u"/proc/self/fd"_s).entryList();
            return std::count_if(fds.cbegin(), fds.cend(), [&](const QString &fd) {
                return QFile::symLinkTarget(u"/proc/self/fd/"_s + fd)
                    .startsWith(folder.path() + u'/');
            });
        };
        const auto before = openFiles();
        const QByteArray bytes = QByteArray(3 << 20, 'x') + "end";
        {
            const files::KeptBytes kept(bytes), copy = kept;
            QVERIFY(kept.moveToFile(folder.path()));
            QVERIFY(copy.moveToFile(folder.path())); // the one store, already in its file
            QCOMPARE(copy.read(), bytes);
            QVERIFY(QDir(folder.path())
                        .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                                 QDir::NoDotAndDotDot));
            QCOMPARE(openFiles(), before + 1);
            const files::KeptBytes nowhere(bytes);
            QVERIFY(!nowhere.moveToFile(folder.filePath(u"missing"_s)));
            QCOMPARE(nowhere.read(), bytes);
        }
        QCOMPARE(openFiles(), before);
    }

    void initTestCase() { QVERIFY(installApplications({})); }
    // Each case starts with no Trash, no folder of the Undo cases, nothing the viewer opened.
    void init()
    {
        QDir(home->file(u".local/share/Trash"_s)).removeRecursively();
        QDir(home->file(u"Undo"_s)).removeRecursively();
        QFile::remove(home->file(u"bin/record-opened.log"_s));
    }

    // Where the window manager publishes no work area, the card keeps clear of what bars and
    // docks reserve, on their own monitor only; broken reservations never hide the card.
    void workAreaFromStruts()
    {
        const QRect left(0, 0, 1280, 800), right(1280, 0, 1280, 800);
        const QSize root(2560, 800);
        for (const auto &[values, monitor, free] :
             std::initializer_list<std::tuple<QList<quint32>, QRect, QRect>>{
                 {{0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 2559}, left, {0, 0, 1280, 780}}, // bottom bar
                 {{0, 0, 24, 0, 0, 0, 0, 0, 1280, 2559, 0, 0}, left, left}, // top, other monitor
                 {{0, 0, 24, 0, 0, 0, 0, 0, 1280, 2559, 0, 0}, right, {1280, 24, 1280, 776}},
                 {{0, 48, 0, 0, 0, 0, 100, 700, 0, 0, 0, 0}, right, {1280, 0, 1232, 800}}, // dock
                 {{30, 0, 0, 0}, left, {30, 0, 1250, 800}}, // an older strut: the whole edge
                 {{0, 0, 0, 9000, 0, 0, 0, 0, 0, 0, 0, 2559}, left, left}, // thicker than it
                 {{0, 0, 0, 20, 0}, left, left}}) {                        // neither form
            QCOMPARE(workarea::freeArea(monitor, root, workarea::strutsFrom(values, root)), free);
        }
    }

    // A file the Trash refuses (the Trash a plain file; a name too long for its ".trashinfo")
    // is reported as not trashed and stays where it was, untouched: never deleted instead.
    void trashRefused()
    {
        LinuxPlatform platform{ProcessContext{}};
        const QString folder = home->file(u".local/share/Trash"_s);
        for (const auto &[name, trashIsAFile] :
             {std::pair{awkwardName, true}, {QString(251, u'a') + u".png"_s, false}}) {
            const QString path = home->file(u"Desktop/"_s + name);
            QVERIFY(write(path));
            QVERIFY(!trashIsAFile || write(folder, "no folder"));
            const bool trashed = trash(platform, path).has_value();
            QVERIFY(!trashIsAFile || QFile::remove(folder));
            QVERIFY(!trashed);
            QCOMPARE(readAll(path), QByteArray("png"));
        }
    }

    // Undo puts the very file that was trashed back, with its bytes and time, and its record
    // goes; it never takes the place of another item, and one the Trash no longer holds stays
    // gone without anything else changing.
    void undoTrash_data()
    {
        QTest::addColumn<QString>("meanwhile");  // what happens between the trash and the Undo
        QTest::addColumn<QString>("restoredAs"); // empty: nothing restored
        QTest::newRow("name with a newline and %20") << u""_s << u"Shot %20\n.png"_s;
        QTest::newRow("the same name trashed again") << u"again"_s << u"Shot %20\n.png"_s;
        QTest::newRow("name and its (2) taken") << u"taken"_s << u"Shot %20\n (3).png"_s;
        QTest::newRow("name taken by a dangling link") << u"link"_s << u"Shot %20\n (2).png"_s;
        QTest::newRow("its folder removed") << u"folder"_s << u"Shot %20\n.png"_s;
        QTest::newRow("the Trash emptied") << u"emptied"_s << u""_s;
        QTest::newRow("emptied, its name in the Trash taken again") << u"reused"_s << u""_s;
    }
    void undoTrash()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QString, restoredAs);
        LinuxPlatform platform{ProcessContext{}};
        const QString folder = home->file(u"Undo"_s);
        const QString path = folder + u"/Shot %20\n.png"_s;
        const QDateTime taken = QDateTime::fromSecsSinceEpoch(1'600'000'000);
        const auto trashed = [&](const QByteArray &content) {
            QFile file(path);
            const bool made = write(path, content) && file.open(QIODevice::ReadWrite) &&
                              file.setFileTime(taken, QFileDevice::FileModificationTime);
            file.close();
            return made ? trash(platform, path) : std::nullopt;
        };
        const std::optional<TrashedFile> first = trashed("first");
        QVERIFY(first && QFile::exists(first->trashedPath) && QFile::exists(first->infoPath));
        const bool reused = meanwhile == u"reused"_s;
        QVERIFY(!(reused || meanwhile == u"emptied"_s) || QFile::remove(first->trashedPath));
        std::optional<TrashedFile> second; // another file, trashed under the same name
        if (reused || meanwhile == u"again"_s) {
            QVERIFY(!reused || QFile::remove(first->infoPath));
            second = trashed(meanwhile.toUtf8());
            QVERIFY(second && (second->trashedPath == first->trashedPath) == reused);
        } else if (meanwhile == u"taken"_s) {
            QVERIFY(write(path, "other") && write(folder + u"/Shot %20\n (2).png"_s, "other"));
        } else if (meanwhile == u"link"_s) {
            QVERIFY(QFile::link(home->file(u"nowhere"_s), path));
        } else if (meanwhile == u"folder"_s) {
            QVERIFY(QDir(folder).removeRecursively());
        }
        const QStringList before = QDir(folder).entryList(QDir::Files | QDir::System);
        const Restoration restored = restoreFromTrash(*first);
        // The other file stays in the Trash, untouched.
        QVERIFY(!second || (readAll(second->trashedPath) == meanwhile.toUtf8() &&
                            QFile::exists(second->infoPath)));
        if (restoredAs.isEmpty()) {
            QCOMPARE(int(restored.outcome), int(Restoration::Outcome::Gone));
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::System), before);
            QVERIFY(QFile::exists(first->infoPath));
            return;
        }
        const QString target = folder + u'/' + restoredAs;
        QCOMPARE(restored.path, target);
        QCOMPARE(int(restored.outcome), int(target == path ? Restoration::Outcome::Restored
                                                           : Restoration::Outcome::RestoredAs));
        QCOMPARE(readAll(target), QByteArray("first"));
        QCOMPARE(QFileInfo(target).lastModified(), taken);
        QVERIFY(!QFile::exists(first->trashedPath) && !QFile::exists(first->infoPath));
        // Whatever stood in its way is as it was.
        if (meanwhile == u"taken"_s) {
            QCOMPARE(readAll(path) + readAll(folder + u"/Shot %20\n (2).png"_s), "otherother");
        } else if (meanwhile == u"link"_s) {
            QCOMPARE(QFileInfo(path).symLinkTarget(), home->file(u"nowhere"_s));
        }
    }

    // The card hands the file on unaltered: to the clipboard, the chosen application, the file
    // manager on the bus; without one, or with the file gone, its folder opens.
    void cardActions()
    {
        LinuxPlatform platform{ProcessContext{}};
        const QString folder = home->file(u"Shots $x `y`"_s);
        const QString path = folder + u'/' + awkwardName;
        QVERIFY(write(path));
        const QUrl url = QUrl::fromLocalFile(path);
        platform.copyFileToClipboard(path);
        const QClipboard *clipboard = QGuiApplication::clipboard();
        QCOMPARE(clipboard->mimeData()->urls(), QList<QUrl>{url});
        QCOMPARE(clipboard->mimeData()->data(u"x-special/gnome-copied-files"_s),
                 "copy\n" + url.toEncoded());
        // A PNG's own bytes, and nothing Qt would make by encoding the picture again.
        const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n") + "as the file has it";
        platform.copyImageToClipboard(QImage(4, 3, QImage::Format_RGB32), png);
        QCOMPARE(clipboard->mimeData()->formats(), QStringList{u"image/png"_s});
        QCOMPARE(clipboard->mimeData()->data(u"image/png"_s), png);
        // The default first, then the others, each once.
        QCOMPARE(ids(platform.applicationsForFile(path)), u"viewer editor"_s);
        QVERIFY(!platform.openFileWith(path, u"no-such-app.desktop"_s).ok());
        QVERIFY(platform.openFileWith(path, u"viewer.desktop"_s).ok());
        QTRY_COMPARE(opened(), QStringList{path});
        init(); // a fresh record of what the viewer opened
        QDBusConnection bus = QDBusConnection::sessionBus();
        FakeFileManager manager;
        if (bus.isConnected()) {
            QVERIFY(bus.registerObject(u"/org/freedesktop/FileManager1"_s, &manager,
                                       QDBusConnection::ExportAllSlots));
            QVERIFY(bus.registerService(u"org.freedesktop.FileManager1"_s));
            platform.revealInFileManager(path, {});
            QTRY_COMPARE(manager.shown, QStringList{QString::fromUtf8(url.toEncoded())});
            QTest::qWait(100);
            QVERIFY(opened().isEmpty());
            bus.unregisterService(u"org.freedesktop.FileManager1"_s);
            bus.unregisterObject(u"/org/freedesktop/FileManager1"_s);
        }
        platform.revealInFileManager(path, {});
        QTRY_COMPARE(opened(), QStringList{folder});
        QVERIFY(QFile::remove(path));
        platform.revealInFileManager(path, {});
        QTRY_COMPARE(opened(), (QStringList{folder, folder}));
        // The card's sound: a name the theme lacks falls through to the fallback, which plays.
        QVERIFY(!platform.playSystemSound(u"Sosumi"_s).ok());
        QVERIFY(platform.playSystemSound(u"Pop"_s).ok());
        // The sound library is let go once the sounds are over, and opened again for the next.
        const auto mapped = [] { return readAll(u"/proc/self/maps"_s).contains("libcanberra"); };
        QVERIFY(eventsounds::isOpen() && mapped());
        eventsounds::setKeepOpenFor(std::chrono::milliseconds(0));
        QVERIFY(platform.playSystemSound(u"Tink"_s).ok());
        QTRY_VERIFY(!eventsounds::isOpen() && !mapped());
        QVERIFY(platform.playSystemSound(u"Basso"_s).ok() && eventsounds::isOpen());
        QTRY_VERIFY(!eventsounds::isOpen());
        eventsounds::setKeepOpenFor(std::chrono::seconds(10));
    }

    // Markup opens the user's choice while installed, else the best annotator, through its entry,
    // else the image viewer. An entry passing no file gets the program's edit option (ksnip would
    // take a new screenshot); a Flatpak's is not guessed at. The preferences list every choice.
    void markup_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("started"); // the program, then its arguments; "$": the file
        QTest::addColumn<QString>("automatic");
        QTest::addColumn<QString>("choices"); // the ids without ".desktop"
        const QString png = u"MimeType=image/png;"_s,
                      ksnip = u"org.ksnip.ksnip.desktop|ksnip|@/ksnip|"_s;
        const QString pinta = u"pinta.desktop|Pinta|@/pinta %F|"_s + png;
        const auto row = [](const char *name, const QStringList &entries, const QString &choice,
                            const QString &opened, const QString &automatic,
                            const QString &choices) {
            QTest::newRow(name) << entries << choice << opened << automatic << choices;
        };
        row("no annotator: the image viewer", {}, {}, u"record-opened $"_s, u"viewer.desktop"_s,
            u"editor viewer"_s);
        row("ksnip's entry passes no file: its edit option, before Pinta and GIMP",
            {u"gimp.desktop|GIMP|@/gimp-2.10 %U|"_s + png, pinta, ksnip}, {}, u"ksnip --edit $"_s,
            u"org.ksnip.ksnip.desktop"_s, u"editor gimp org.ksnip.ksnip pinta viewer"_s);
        row("hidden satty, known by its program, through its entry",
            {pinta, u"my-satty.desktop|Satty|@/satty -f %f|NoDisplay=true"_s}, {}, u"satty -f $"_s,
            u"my-satty.desktop"_s, u"editor pinta viewer my-satty"_s);
        row("Flatpaks: ksnip's cannot edit, Pinta's passes the file",
            {u"org.ksnip.ksnip.desktop|ksnip|@/flatpak run org.ksnip.ksnip|"_s,
             u"com.github.PintaProject.Pinta.desktop|Pinta|@/flatpak run --file-forwarding "
             u"com.github.PintaProject.Pinta @@ %F @@|"_s +
                 png},
            {}, u"flatpak run --file-forwarding com.github.PintaProject.Pinta @@ $ @@"_s,
            u"com.github.PintaProject.Pinta.desktop"_s,
            u"editor com.github.PintaProject.Pinta viewer"_s);
        row("the user's choice wins", {ksnip, u"choice.desktop|Chosen|@/chosen %f|"_s + png},
            u"choice.desktop"_s, u"chosen $"_s, u"org.ksnip.ksnip.desktop"_s,
            u"choice editor org.ksnip.ksnip viewer"_s);
        row("a chosen annotator edits too", {ksnip, u"satty.desktop|Satty|@/satty|"_s},
            u"satty.desktop"_s, u"satty -f $"_s, u"org.ksnip.ksnip.desktop"_s,
            u"editor org.ksnip.ksnip viewer satty"_s);
        row("a choice no longer installed: the automatic one", {ksnip}, u"gone.desktop"_s,
            u"ksnip --edit $"_s, u"org.ksnip.ksnip.desktop"_s, u"editor org.ksnip.ksnip viewer"_s);
    }
    void markup()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, choice);
        QFETCH(QString, started);
        if (ranInChild()) {
            return;
        }
        QVERIFY(installApplications(entries));
        const QString path = home->file(u"Shots $x `y`/-Shot \"1\" $(id) `id` 'a'.png"_s);
        QVERIFY(write(path));
        LinuxPlatform platform{ProcessContext{}};
        const MarkupApplications applications = platform.markupApplications();
        QTEST(applications.automatic.id, "automatic");
        QTEST(ids(applications.choices), "choices");
        std::atomic<int> answer{-1};
        platform.openForMarkup(path, choice, [&answer](bool ok) { answer = ok ? 1 : 0; });
        QCOMPARE(answer.load(), 1);
        QStringList arguments = started.split(u' ');
        const QString program = arguments.takeFirst();
        arguments.replaceInStrings(u"$"_s, path);
        QTRY_COMPARE(opened(program), arguments);
        QCOMPARE(QDir(home->file(u"bin"_s)).entryList({u"*.log"_s}),
                 QStringList{program + u".log"_s});
    }

    // On macOS the card's actions are `open` command lines, and open's answer is the card's.
    void macOS()
    {
        test::FakeTools tools;
        MacPlatform platform{ProcessContext{}};
        const QString path = home->file(u"Desktop/"_s + awkwardName);
        QVERIFY(write(path));
        std::atomic<int> answer = -1; // given on a worker thread
        auto finished = [&answer](bool ok) { answer = ok ? 1 : 0; };
        tools.setFailing({u"open"_s});
        platform.openForMarkup(path, u"gimp.desktop"_s, finished); // Preview all the same
        QTRY_COMPARE_WITH_TIMEOUT(answer.load(), 0, 10000);
        tools.setFailing({});
        answer = -1;
        QVERIFY(QFile::remove(path));
        platform.revealInFileManager(path, finished); // the file gone: its folder
        QTRY_COMPARE_WITH_TIMEOUT(answer.load(), 1, 10000);
        // "Open in Finder" goes by open's own answer too, not by whether the shell ran.
        tools.setFailing({u"open"_s});
        QVERIFY(!platform.openFolder(home->file(u"Desktop"_s)).ok());
        QCOMPARE(tools.calls(), QList<QStringList>({{u"open"_s, u"-a"_s, u"Preview"_s, path},
                                                    {u"open"_s, home->file(u"Desktop"_s)},
                                                    {u"open"_s, home->file(u"Desktop"_s)}}));
        // The launch agent: the bundle's program, else the one started, in well-formed XML.
        const QString agent = home->file(u"Library/LaunchAgents/com.tarnwell.orvane.plist"_s);
        for (const auto &[bundle, argv0, executable] :
             {std::tuple{u"/Users/zoë/R&D <new>/Orvane.app"_s, u"/x/Orvane"_s,
                         u"/Users/zoë/R&D <new>/Orvane.app/Contents/MacOS/Orvane"_s},
              {u"/home/ann/build"_s, u"./orvane"_s, u"./orvane"_s}}) {
            MacPlatform mac({argv0, bundle, {}, {}});
            QVERIFY(write(agent, QByteArray(4096, 'x'))); // replaced whole
            QVERIFY(mac.installLoginAgent().ok());
            QXmlStreamReader xml(readAll(agent));
            QStringList strings;
            while (!xml.atEnd()) {
                if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"string"_s) {
                    strings << xml.readElementText();
                }
            }
            QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
            QCOMPARE(strings, QStringList({u"com.tarnwell.orvane"_s, executable, u"--background"_s,
                                           u"Interactive"_s}));
            mac.removeLoginAgent();
            QVERIFY(!QFile::exists(agent));
        }
    }

    // The entry names the program so that a desktop parses back its exact path; AppImage's
    // variables count only inside its mount point. A build in a CMake build folder is never
    // started at login. The desktop's startup settings switch the entry on and off.
    void linuxAutostart()
    {
        const QString entry = home->file(u".config/autostart/com.tarnwell.orvane.desktop"_s);
        const QString build = home->file(u"src/build/default/src/app/orvane"_s);
        QVERIFY(write(build) && write(home->file(u"src/build/default/CMakeCache.txt"_s)));
        const QString mine = u"/home/ann/Apps/Orvane x86_64.AppImage"_s;
        const QString usr = u"/usr/bin/orvane"_s, mount = u"/tmp/.mount_OrvaneX"_s;
        // The program, $APPIMAGE, $APPDIR, the Exec (none: no entry), the TryExec (none: the
        // program): a blank; quote, dollar, backquote; backslash; percent; its own AppImage;
        // started from another AppImage's terminal; a mount point that only starts like its own.
        const std::array<QString, 5> rows[] = {
            {u"/home/ann/My Apps/orvane"_s, {}, {}, u"\"/home/ann/My Apps/orvane\""_s, {}},
            {u"/opt/a\"b$c`d/orvane"_s, {}, {}, u"\"/opt/a\\\\\"b\\\\$c\\\\`d/orvane\""_s, {}},
            {u"/a\\b/orvane"_s, {}, {}, u"\"/a\\\\\\\\b/orvane\""_s, u"/a\\\\b/orvane"_s},
            {u"/opt/100%/orvane"_s, {}, {}, u"/opt/100%%/orvane"_s, {}},
            {build, {}, {}, {}, {}},
            {mount + u"/usr/bin/orvane"_s, mine, mount,
             u"\"/home/ann/Apps/Orvane x86_64.AppImage\""_s, mine},
            {usr, u"/home/ann/Apps/Terminal.AppImage"_s, u"/tmp/.mount_TerminXY"_s, usr, {}},
            {mount + u"2/usr/bin/orvane"_s, mine, mount, mount + u"2/usr/bin/orvane"_s, {}},
            {usr, mine, u"/"_s, usr, {}}}; // $APPDIR the root
        for (const auto &[program, appImage, appDir, exec, tryExec] : rows) {
            LinuxPlatform platform(ProcessContext::make(program, {u"orvane"_s}, appImage, appDir));
            QFile::remove(entry); // the row before's
            if (exec.isEmpty()) {
                QVERIFY(
                    platform.loginEntryRefusal().value_or(QString()).contains(u"build folder"_s));
                QVERIFY(!platform.installLoginAgent().ok() && !platform.registerLoginItem().ok());
                QVERIFY(!QFile::exists(entry));
                continue;
            }
            QVERIFY(!platform.loginEntryRefusal());
            QCOMPARE(platform.readLoginEntry(), LoginEntry::Absent);
            QVERIFY(platform.installLoginAgent().ok() && platform.isLoginItemEnabled());
            const QByteArray written = readAll(entry);
            const QStringList lines = QString::fromUtf8(written).split(u'\n');
            QVERIFY2(lines.contains(u"Exec="_s + exec + u" --background"_s),
                     qPrintable(lines.join(u'\n')));
            QVERIFY(lines.contains(u"TryExec="_s + (tryExec.isEmpty() ? program : tryExec)));
            for (const auto &[text, state] :
                 {std::pair<QByteArray, LoginEntry>{written + "[Desktop Action x]\nHidden=true\n",
                                                    LoginEntry::Enabled},
                  {QByteArray(written).replace("enabled=true", "enabled=false"),
                   LoginEntry::SwitchedOff},
                  {written + "Hidden=true\n", LoginEntry::SwitchedOff}}) {
                QVERIFY(write(entry, text));
                QCOMPARE(platform.readLoginEntry(), state);
            }
            QVERIFY(!platform.isLoginItemEnabled());
            // Written afresh: the desktop's "Hidden" goes.
            QVERIFY(platform.registerLoginItem().ok() && platform.isLoginItemEnabled());
            platform.removeLoginAgent();
            QVERIFY(!QFile::exists(entry) && platform.registerLoginItem().ok());
            // Twice: nothing to remove is no error.
            QVERIFY(platform.unregisterLoginItem().ok() && platform.unregisterLoginItem().ok());
            QVERIFY(!QFile::exists(entry) && !platform.isLoginItemEnabled());
        }
    }

    // Only an AppImage it runs from, or a copy in the home that is no build, goes to the Trash.
    void linuxProgramRemoved()
    {
        QTemporaryDir system;
        // dpkg's answer, for the one program "installed from a package".
        QVERIFY(write(system.filePath(u"bin/dpkg-query"_s),
                      "#!/bin/sh\ncase \"$2\" in */packaged/usr/bin/orvane) echo \"orvane: $2\";; "
                      "*) exit 1;; esac\n"));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", system.filePath(u"bin"_s).toUtf8() + ':' + path);
        QVERIFY(write(home->file(u"src/orvane/build/default/CMakeCache.txt"_s)));
        const QString otherAppImage = system.filePath(u"Apps/Terminal.AppImage"_s);
        const QString mount = system.filePath(u"mnt/.mount_Orvane"_s);
        const QString appImage = system.filePath(u"Apps/Orvane x86_64.AppImage"_s);
        QVERIFY(write(otherAppImage) && write(mount + u"/usr/bin/orvane"_s));
        using Case = std::tuple<QString, ProcessContext, QString>; // told in the note, or trashed
        const auto plain = [](const QString &program, const QString &told = {}) {
            return Case{program, ProcessContext::make(program, {program}, {}, {}), told};
        };
        const QString elsewhere = u"remove it the way it was installed"_s;
        const QList<Case> cases{
            plain(home->file(u".local/bin/orvane"_s)),
            // Beside the home, under a name that only starts like it: another user's.
            plain(home->path() + u"-other/bin/orvane"_s, elsewhere),
            plain(system.filePath(u"packaged/usr/bin/orvane"_s), u"\"sudo apt remove orvane\""_s),
            plain(home->file(u"src/orvane/build/default/src/app/orvane"_s), u"is a build"_s),
            {appImage, ProcessContext::make(mount + u"/usr/bin/orvane"_s, {}, appImage, mount), {}},
            // Started from another AppImage's terminal, which passed its variables on.
            {system.filePath(u"usr/local/bin/orvane"_s),
             ProcessContext::make(system.filePath(u"usr/local/bin/orvane"_s), {}, otherAppImage,
                                  system.filePath(u"mnt/.mount_Termin"_s)),
             elsewhere}};
        for (const auto &[program, context, told] : cases) {
            QVERIFY(write(program));
            LinuxPlatform platform(context);
            // dpkg is asked in the background: its answer shows once it is in.
            ProgramRemovalPlan plan;
            QTRY_VERIFY2_WITH_TIMEOUT(
                (plan = platform.programRemovalPlan())
                    .note.contains(told.isEmpty() ? u"will be moved to the Trash"_s : told),
                qPrintable(plan.note), 10000);
            // The confirmation's button says "Move to Trash" only when it does; where the program
            // stays, it stays even if asked to go.
            QCOMPARE(plan.toTrash, told.isEmpty());
            const Result removed = platform.removeProgram(true);
            QCOMPARE(removed.ok() ? QString() : removed.reason(),
                     told.isEmpty() ? QString() : plan.note);
            const QString trashed =
                home->file(u".local/share/Trash/files/"_s) + QFileInfo(program).fileName();
            QCOMPARE(QFile::exists(program), !told.isEmpty());
            QCOMPARE(QFile::exists(trashed), told.isEmpty());
            QVERIFY(QFile::exists(otherAppImage));
            QFile::remove(trashed);
        }
        // dpkg still thinking: the question shows what is known, nothing waits, nothing goes to
        // the Trash on a guess; asked once, by the one that asked. Unlinked first: a running
        // stand-in's file is busy.
        QVERIFY(QFile::remove(system.filePath(u"bin/dpkg-query"_s)));
        QVERIFY(write(system.filePath(u"bin/dpkg-query"_s),
                      "#!/bin/sh\ncd '" + QFile::encodeName(system.path()) +
                          "'\ntouch asked.$$\nwhile [ ! -e gate ]; do sleep 0.05; done\nexit 1\n"));
        const QString program = std::get<0>(cases[0]);
        QVERIFY(write(program)); // put back: it went to the Trash above
        const auto asked = [&system] {
            return QDir(system.path()).entryList({u"asked.*"_s}, QDir::Files).size();
        };
        // Outside the home, where dpkg only names the package, it is not asked at launch: one
        // made and gone unasked leaves no question behind (going, it would have waited for one).
        {
            const LinuxPlatform launched(std::get<1>(cases[2]));
        }
        QCOMPARE(asked(), 0);
        {
            const Translations german({u"de"_s}); // the question in German, the log in English
            // Under the home its answer decides: asked at launch, as no menu may say it opened.
            LinuxPlatform asking(std::get<1>(cases[0]));
            QTRY_COMPARE(asked(), 1);
            const ProgramRemovalPlan first = asking.programRemovalPlan();
            QVERIFY2(first.note.contains(u"bleibt vorerst"_s) && !first.toTrash,
                     qPrintable(first.note));
            QVERIFY(asking.removeProgram(true).reason().contains(u"not yet said"_s));
            // No package's file, answered while that question is open, and a second question
            // then says the Trash: the first still does only what it said; the second trashes.
            QVERIFY(write(system.filePath(u"gate"_s)));
            QTRY_VERIFY_WITH_TIMEOUT(asking.programRemovalPlan().toTrash, 10000);
            const ProgramRemovalPlan second = asking.programRemovalPlan();
            QVERIFY(
                asking.removeProgram(first.toTrash).reason().contains(u"as the question said"_s));
            QVERIFY(QFile::exists(program));
            QVERIFY(asking.removeProgram(second.toTrash).ok() && !QFile::exists(program));
            QFile::remove(home->file(u".local/share/Trash/files/orvane"_s));
        }
        QCOMPARE(asked(), 1);
        QDir(home->path() + u"-other"_s).removeRecursively();
        qputenv("PATH", path);
    }

    // The system's own file events, on a real folder.
    void folderEvents()
    {
        Watch w;
        const QString folder = w.file(u"Shots"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(w.open({folder, w.file(u"missing"_s)}));
        // Written in pieces: one file, few batches. A name that is not text is never reported.
        const QByteArray notText = QFile::encodeName(folder) + "/\xff\xfe.png";
        const int odd = ::open(notText.constData(), O_CREAT | O_WRONLY, 0600); // three events
        QVERIFY(odd >= 0 && ::write(odd, "x", 1) == 1 && ::close(odd) == 0);
        QVERIFY(QProcess::execute(u"dd"_s, {u"if=/dev/zero"_s, u"of="_s + folder + u"/a.png"_s,
                                            u"bs=4096"_s, u"count=20"_s, u"status=none"_s}) == 0);
        QTRY_VERIFY(w.reported().contains(folder + u"/a.png"_s));
        QTest::qWait(3 * FolderEventStream::latencyMs);
        QVERIFY2(w.batches.size() <= 3, qPrintable(QString::number(w.batches.size())));
        const QStringList all = w.reported();
        QCOMPARE(QSet<QString>(all.begin(), all.end()), QSet<QString>{folder + u"/a.png"_s});
        // One line for the file, not one per event.
        QCOMPARE(w.log.lines().count(
                     u"[Orvane] Skipped a file whose name is not valid text: \\xff\\xfe.png"_s),
                 1);
        ::unlink(notText.constData()); // Qt could not name it to remove it
        // Written hidden, then renamed: the ignored name opens no spell for the rename to wait.
        w.stream->setIgnoredNames([](const QString &name) { return name.startsWith(u'.'); });
        w.batches.clear();
        QVERIFY(write(folder + u"/.b.png.tmp"_s));
        QVERIFY(QFile::rename(folder + u"/.b.png.tmp"_s, folder + u"/b.png"_s));
        QTRY_VERIFY(w.reported().contains(folder + u"/b.png"_s));
        QCOMPARE(w.batches.first(), QStringList{folder + u"/b.png"_s});
        // Removed: still reported; what it means is decided later.
        w.batches.clear();
        QVERIFY(QFile::remove(folder + u"/a.png"_s));
        QTRY_VERIFY(w.reported().contains(folder + u"/a.png"_s));
        // Once the stream is gone, nothing more arrives.
        w.stream.reset();
        w.batches.clear();
        QVERIFY(write(folder + u"/c.png"_s));
        QTest::qWait(3 * FolderEventStream::latencyMs);
        QVERIFY(w.batches.isEmpty());
    }

    // A folder missing or gone is watched once it (re)appears: reported itself (files may have
    // landed before the watch), then its files. One moved away is not watched where it went.
    void folderWatchedOnceItCanBe_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("change");
        QTest::newRow("made after the start") << u""_s << u"make"_s;
        QTest::newRow("made two levels down") << u""_s << u"make deep"_s;
        QTest::newRow("removed and made again") << u"make"_s << u"remove, make"_s;
        QTest::newRow("moved away, another made") << u"make"_s << u"move away, make"_s;
        QTest::newRow("unreadable, then readable") << u"make, lock"_s << u"unlock"_s;
    }
    void folderWatchedOnceItCanBe()
    {
        QFETCH(QString, setup);
        QFETCH(QString, change);
        if (setup.contains(u"lock"_s) && ::geteuid() == 0) {
            QSKIP("permissions do not stop the superuser");
        }
        Watch w;
        const QString folder =
            w.file(change.contains(u"deep"_s) ? u"Pictures/Screenshots"_s : u"Desktop"_s);
        const QString away = w.file(u"Desktop.old"_s);
        QVERIFY(!setup.contains(u"make"_s) || QDir().mkpath(folder));
        QVERIFY(!setup.contains(u"lock"_s) || QFile::setPermissions(folder, {}));
        QCOMPARE(w.open({folder}), setup == u"make"_s);
        QVERIFY(w.stream);
        QVERIFY(!change.contains(u"remove"_s) || QDir(folder).removeRecursively());
        QVERIFY(!change.contains(u"move away"_s) || QDir().rename(folder, away));
        if (setup == u"make"_s) {
            QTRY_VERIFY(w.log.lines().contains(u"[Orvane] Lost the watch on "_s + folder +
                                               u"; watching for it to come back."_s));
        }
        QVERIFY(!change.contains(u"make"_s) || QDir().mkpath(folder));
        QVERIFY(
            !change.contains(u"unlock"_s) ||
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QTRY_VERIFY(w.reported().contains(folder));
        QVERIFY(write(folder + u"/shot.png"_s));
        QTRY_VERIFY(w.reported().contains(folder + u"/shot.png"_s));
        if (change.contains(u"move away"_s)) {
            QVERIFY(write(away + u"/stray.png"_s));
            QTest::qWait(3 * FolderEventStream::latencyMs);
            QVERIFY(w.reported().filter(u"stray"_s).isEmpty());
        }
    }

    // GIO is loaded for gnome-screenshot's folder only where a compiled schema file in one of
    // GSettings' folders names it; GIO's answer stays the truth, and asking GSettings for a
    // schema it lacks (which would end the program) never happens. "@" is the schemas' folder.
    void gnomeScreenshotSchema_data()
    {
        QTest::addColumn<QString>("environment"); // over no GSETTINGS_SCHEMA_DIR, "@/empty"
        QTest::addColumn<bool>("configured");
        QTest::addColumn<bool>("gioLoaded");
        QTest::newRow("no compiled schemas anywhere")
            << u"XDG_DATA_DIRS=@/empty:@/missing"_s << false << false;
        QTest::newRow("only another program's, everywhere")
            << u"GSETTINGS_SCHEMA_DIR=@/other XDG_DATA_HOME=@/data-other XDG_DATA_DIRS=@/data-other"_s
            << false << false;
        QTest::newRow("in GSETTINGS_SCHEMA_DIR's second folder")
            << u"GSETTINGS_SCHEMA_DIR=@/other:@/gnome"_s << true << true;
        QTest::newRow("in XDG_DATA_HOME")
            << u"XDG_DATA_HOME=@/data-gnome XDG_DATA_DIRS=@/data-other"_s << true << true;
        QTest::newRow("in XDG_DATA_DIRS' second folder")
            << u"XDG_DATA_DIRS=@/data-other:@/data-gnome"_s << true << true;
        QTest::newRow("in the home's .local/share, XDG_DATA_HOME unset")
            << u"HOME=@/home XDG_DATA_HOME"_s << true << true;
        QTest::newRow("a look-alike id: GIO asked, no such schema")
            << u"GSETTINGS_SCHEMA_DIR=@/lookalike"_s << false << true;
        QTest::newRow("the id across two reads of the file: GIO asked")
            << u"GSETTINGS_SCHEMA_DIR=@/seam"_s << false << true;
    }
    void gnomeScreenshotSchema()
    {
        QFETCH(QString, environment);
        QFETCH(bool, configured);
        if (ranInChild(QStringList{u"GSETTINGS_SCHEMA_DIR"_s, u"XDG_DATA_HOME=@/empty"_s,
                                   u"XDG_DATA_DIRS=@/empty"_s} +
                       environment.split(u' '))) {
            return;
        }
        QCOMPARE(LinuxPlatform({}).readSystemScreenshotLocation(),
                 configured ? std::optional(gnomeScreenshotFolder) : std::nullopt);
        QTEST(gio::isLoaded(), "gioLoaded");
    }

    // Without GIO nothing claims success: the file stays where it was (never deleted instead),
    // no application is offered or started, the GNOME setting counts as unset, the program is
    // not uninstalled; said once.
    void withoutGio()
    {
        if (ranInChild({u"ORVANE_GIO_LIBRARY=liborvane-missing.so.0"_s,
                        u"GSETTINGS_SCHEMA_DIR=@/gnome"_s})) {
            return;
        }
        test::LogCapture log;
        LinuxPlatform platform{ProcessContext{}};
        const QString path = home->file(u"Desktop/shot.png"_s);
        QVERIFY(write(path));
        QVERIFY(!trash(platform, path));
        QCOMPARE(readAll(path), QByteArray("png"));
        QVERIFY(platform.applicationsForFile(path).isEmpty());
        const Result started = platform.openFileWith(path, u"viewer.desktop"_s);
        QVERIFY2(!started.ok() && started.reason().contains(u"liborvane-missing.so.0"_s),
                 qPrintable(started.reason()));
        QCOMPARE(platform.readSystemScreenshotLocation(), std::nullopt);
        QVERIFY(opened().isEmpty());
        // Nor is the program uninstalled: it stays, and the answer says so.
        const QString program = home->file(u".local/bin/orvane"_s);
        QVERIFY(write(program));
        LinuxPlatform owner(ProcessContext::make(program, {program}, {}, {}));
        QTRY_VERIFY(owner.programRemovalPlan().toTrash); // dpkg has answered: no package's file
        const Result removed = owner.removeProgram(true);
        QVERIFY2(!removed.ok() && removed.reason().contains(u"nothing was removed"_s),
                 qPrintable(removed.reason()));
        QCOMPARE(readAll(program), QByteArray("png"));
        QCOMPARE(log.lines().filter(u"liborvane-missing.so.0"_s).size(), 1);
    }

    // Each tool's own settings file, as the tool writes it, separated by "|": user-dirs.dirs,
    // gnome-screenshot, Spectacle, xfce4-screenshooter, Flameshot; then the folders configured
    // and the one chosen ("-": none). "~" is the home folder.
    void screenshotFolders()
    {
        const QString ann = u"/home/ann"_s, pictures = u"/home/ann/Bilder"_s;
        const QString all =
            u"XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_SCREENSHOTS_DIR=\"$HOME/A\"\n"
            "|file:///home/ann/B|[ImageSave]\nimageSaveLocation=file:///home/ann/C/\n"
            "|app=gimp\nscreenshot_dir=file:///home/ann/D\n|[General]\nsavePath=/home/ann/E\n"_s;
        const QString flameshot = all.section(u'|', 4);
        const QStringList defaults = {pictures + u"/Bildschirmfotos"_s,
                                      pictures + u"/Screenshots"_s, pictures};
        const std::tuple<QString, QStringList, QString> rows[] = {
            {all, {u"~/A"_s, u"~/B"_s, u"~/C"_s, u"~/D"_s, u"~/E"_s}, u"~/A"_s},
            // A folder named twice counts once.
            {u"|/home/ann/C|"_s + all.section(u'|', 2, 2), {u"~/C"_s}, u"~/C"_s},
            // user-dirs: absolute, escaped, last line wins; neither $HOME nor absolute.
            {u"# comment\nXDG_SCREENSHOTS_DIR=\"/old\"\n  XDG_SCREENSHOTS_DIR = \"/srv/My \\\"Shots\\\"\"\n"_s,
             {u"/srv/My \"Shots\""_s},
             u"/srv/My \"Shots\""_s},
            {u"XDG_SCREENSHOTS_DIR=\"Shots\"\nXDG_SCREENSHOTS_DIRX=\"/x\"\n"_s, {}, u"-"_s},
            // gnome-screenshot: an escaped URI, a plain path with a tilde.
            {u"|file:///home/ann/My%20Shots/"_s, {u"~/My Shots"_s}, u"~/My Shots"_s},
            {u"|~/Shots"_s, {u"~/Shots"_s}, u"~/Shots"_s},
            // Spectacle: Plasma 5's; older, $HOME expanded; keys of other groups, languages.
            {u"||[General]\nimageSaveLocation=file:///home/ann/Plasma5\n[ImageSave]\nother=1\n"_s,
             {u"~/Plasma5"_s},
             u"~/Plasma5"_s},
            {u"||[Save]\ndefaultSaveLocation[$e]=$HOME/Old\n"_s, {u"~/Old"_s}, u"~/Old"_s},
            {u"||[GuiConfig]\nimageSaveLocation=/a\n[ImageSave]\nimageSaveLocation[de]=/b\n"_s,
             {},
             u"-"_s},
            // Remote folders passed over.
            {u"|smb://server/shots|[ImageSave]\nimageSaveLocation=shots\n|screenshot_dir=file://server/shots\n|"_s +
                 flameshot,
             {u"~/E"_s},
             u"~/E"_s},
            // Flameshot: quoted, escaped, other groups.
            {u"||||savePath=/top\n[Shortcuts]\nsavePath=/no\n[General]\nsavePath=\"/srv/a, \\x00e9\"\n"_s,
             {u"/srv/a, é"_s},
             u"/srv/a, é"_s},
            // xfce4-screenshooter writes its default into its file: no choice of the user.
            {u"|||screenshot_dir=file:///home/ann/Bilder\n|"_s + flameshot,
             {u"~/Bilder"_s, u"~/E"_s},
             u"~/E"_s}};
        for (auto [files, configured, chosen] : rows) {
            configured.replaceInStrings(u"~"_s, ann);
            const QStringList file = files.split(u'|');
            const screenshotfolders::Folders folders = screenshotfolders::resolve(
                {ann, pictures, u"Bildschirmfotos"_s, file.value(0), file.value(1), file.value(2),
                 file.value(3), file.value(4)});
            QCOMPARE(folders.configured, configured);
            QCOMPARE(folders.chosen(),
                     chosen == u"-"_s ? std::nullopt : std::optional(chosen.replace(u"~"_s, ann)));
            QStringList everything = configured + defaults;
            everything.removeDuplicates();
            QCOMPARE(folders.all(), everything);
        }
    }

    // A locale's catalogues; de.po by msgfmt, both byte orders; a damaged one is read safely.
    void gettextCatalogue()
    {
        for (const auto &[environment, names] :
             {std::pair{u"|||de_DE.UTF-8"_s, u"de_DE de"_s},
              {u"|||sr_RS.UTF-8@latin"_s, u"sr_RS@latin sr_RS sr@latin sr"_s},
              {u"||fr_FR.UTF-8|de_DE.UTF-8"_s, u"fr_FR fr"_s},
              {u"pt_BR:fr|||de_DE.UTF-8"_s, u"pt_BR pt fr"_s},
              {u"de|||C.UTF-8"_s, u""_s}}) {
            const QStringList e = environment.split(u'|'); // LANGUAGE|LC_ALL|LC_MESSAGES|LANG
            QCOMPARE(gettext::catalogueNames(e[0], e[1], e[2], e[3]).join(u' '), names);
        }
        const auto translated = [](const char *file, const QByteArray &message) {
            return gettext::translate(
                       readAll(QLatin1String(ORVANE_TEST_DATA) + QLatin1String(file)), message)
                .value_or(u"-"_s);
        };
        for (const char *file : {"/de.mo", "/de-big.mo"}) {
            QCOMPARE(translated(file, "Screenshots"), u"Bildschirmfotos"_s);
            QCOMPARE(translated(file, "%d screenshot"), u"%d Bildschirmfoto"_s); // by its singular
            QCOMPARE(translated(file, "menu\x04Screenshots"), u"Bildschirmfoto-Menü"_s);
            QCOMPARE(translated(file, "Screenshots!"), u"-"_s);
        }
        const QByteArray catalogue = readAll(QStringLiteral(ORVANE_TEST_DATA "/de.mo"));
        for (qsizetype size = 0; size < catalogue.size(); ++size) {
            const QByteArray cut(catalogue.constData(), size); // a copy: ASan sees its end
            const auto translation = gettext::translate(cut, "Screenshots");
            QVERIFY(!translation || *translation == u"Bildschirmfotos"_s);
        }
        QCOMPARE(gettext::translate('x' + catalogue.mid(1), "Screenshots"), std::nullopt);
    }

    // German user folders with GNOME's catalogue, then folders set in gnome-screenshot, Spectacle.
    void linuxDesktop()
    {
        qputenv("LANG", "de_DE.UTF-8");
        const QString config = home->file(u".config"_s);
        QVERIFY(write(config + u"/user-dirs.dirs"_s, "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"));
        QVERIFY(write(home->file(u"system/share/locale/de/LC_MESSAGES/gnome-shell.mo"_s),
                      readAll(QStringLiteral(ORVANE_TEST_DATA "/de.mo"))));
        // Existing defaults are watched, but never taken as the user's choice.
        QVERIFY(QDir().mkpath(home->file(u"Bilder/Bildschirmfotos"_s)));
        LinuxPlatform platform({});
        const QStringList defaults = {home->file(u"Bilder/Bildschirmfotos"_s),
                                      home->file(u"Bilder/Screenshots"_s), home->file(u"Bilder"_s)};
        QCOMPARE(platform.screenshotToolFolders(), defaults);
        QCOMPARE(platform.readSystemScreenshotLocation(), std::nullopt);
        const QString gnome = home->file(u"GNOME Shots"_s);
        GSettings *settings = g_settings_new("org.gnome.gnome-screenshot"); // in memory
        g_settings_set_string(settings, "auto-save-directory",
                              QUrl::fromLocalFile(gnome).toEncoded());
        g_object_unref(settings);
        write(config + u"/spectaclerc"_s, "[ImageSave]\nimageSaveLocation=/srv/spectacle\n");
        QCOMPARE(platform.screenshotToolFolders(),
                 QStringList({gnome, u"/srv/spectacle"_s}) + defaults);
        QCOMPARE(platform.readSystemScreenshotLocation(), std::optional(gnome));
        qputenv("LANG", "C.UTF-8");
    }
};

int main(int argc, char *argv[])
{
    // Before GLib first looks: it reads the XDG folders, GSettings' schemas and its backend once.
    test::TestHome testHome;
    testHome.useSystemFileTypes(); // GIO must see a .png as an image to find its applications
    home = &testHome;
    qputenv("GSETTINGS_SCHEMA_DIR", ORVANE_TEST_DATA "/schemas");
    qputenv("GSETTINGS_BACKEND", "memory");
    for (const QString &variable :
         qEnvironmentVariable("ORVANE_TEST_CHILD").split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = variable.indexOf(u'=');
        testHome.set(variable.left(equals).toUtf8().constData(),
                     equals < 0 ? std::nullopt : std::optional(variable.mid(equals + 1)));
    }
    QGuiApplication app(argc, argv);
    PlatformServicesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platformservices.moc"
