#include "FakeTools.h"
#include "TestHome.h"

#include "platform/ProcessContext.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/macos/MacPlatform.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include <atomic>
#include <memory>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// GLib reads the XDG folders once per process, so the whole run shares one home.
test::TestHome *home = nullptr;

// A file name a shell would take apart if it ever saw it unquoted.
const QString awkwardName = u"Shot \"1\" $HOME `id` 'a'.png"_s;

bool write(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QString createFile(const QString &relative)
{
    const QString path = home->file(relative);
    return write(path, "png") ? path : QString();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The desktop's default application for images and folders: a script that notes the
// arguments it was started with; another application for images after it.
void installRecordingViewer()
{
    const QString script = home->file(u"bin/record-opened"_s);
    write(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\036' \"$a\" >> \"$0.log\"; done\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString applications = home->file(u".local/share/applications/"_s);
    write(applications + u"orvane-test-viewer.desktop"_s,
          "[Desktop Entry]\nType=Application\nName=Recording Viewer\nExec=" + script.toUtf8() +
              " %f\nMimeType=image/png;inode/directory;\n");
    write(applications + u"orvane-test-editor.desktop"_s,
          "[Desktop Entry]\nType=Application\nName=Editor\nExec=/bin/true %f\n"
          "MimeType=image/png;\n");
    // What the desktop's update-desktop-database leaves for GIO to find applications by type.
    write(applications + u"mimeinfo.cache"_s,
          "[MIME Cache]\nimage/png=orvane-test-editor.desktop;orvane-test-viewer.desktop;\n"
          "inode/directory=orvane-test-viewer.desktop;\n");
    write(home->file(u".config/mimeapps.list"_s),
          "[Default Applications]\nimage/png=orvane-test-viewer.desktop\n"
          "inode/directory=orvane-test-viewer.desktop\n");
}

QStringList openedByViewer()
{
    return QString::fromUtf8(readAll(home->file(u"bin/record-opened.log"_s)))
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

} // namespace

class CardServicesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installRecordingViewer(); }
    void init() { QFile::remove(home->file(u"bin/record-opened.log"_s)); }

    // Into the freedesktop Trash, with the information that puts it back where it was. A file
    // that is not there, or that the Trash refuses, is reported as not trashed; a refused one
    // stays where it was, untouched: never deleted instead.
    void trash_data()
    {
        QTest::addColumn<QString>("name"); // empty: no file
        QTest::addColumn<bool>("trashIsAFile");
        QTest::addColumn<bool>("trashed");
        QTest::newRow("awkward name") << awkwardName << false << true;
        QTest::newRow("file gone") << QString() << false << false;
        QTest::newRow("the Trash is a plain file") << awkwardName << true << false;
        // The longest name a file may have leaves no room for the Trash's ".trashinfo".
        QTest::newRow("name too long for the Trash's records")
            << QString(251, u'a') + u".png"_s << false << false;
    }
    void trash()
    {
        QFETCH(QString, name);
        QFETCH(bool, trashIsAFile);
        QFETCH(bool, trashed);
        LinuxPlatform platform{ProcessContext{}};
        const QString trash = home->file(u".local/share/Trash"_s);
        const QString path =
            name.isEmpty() ? home->file(u"Desktop/gone.png"_s) : createFile(u"Desktop/"_s + name);
        // GIO cannot make its folders where a file stands in their way.
        QVERIFY(!trashIsAFile || (QDir(trash).removeRecursively() && write(trash, "no folder")));
        std::atomic<int> result{-1};
        platform.moveToTrash(path, [&result](bool ok) { result = ok ? 1 : 0; });
        QTRY_VERIFY(result != -1);
        QVERIFY(!trashIsAFile || QFile::remove(trash));
        QCOMPARE(result.load(), trashed ? 1 : 0);
        QCOMPARE(readAll(path), QByteArray(trashed || name.isEmpty() ? "" : "png"));
        if (!trashed) {
            return;
        }
        QCOMPARE(readAll(trash + u"/files/"_s + name), QByteArray("png"));
        // The path written escaped, as the format asks.
        const QString info =
            QString::fromUtf8(readAll(trash + u"/info/"_s + name + u".trashinfo"_s));
        const QRegularExpressionMatch match =
            QRegularExpression(u"^\\[Trash Info\\]\nPath=(\\S+)\n"
                               "DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n"_s)
                .match(info);
        QVERIFY2(match.hasMatch(), qPrintable(info));
        QCOMPARE(QUrl::fromPercentEncoding(match.captured(1).toUtf8()), path);
    }

    // An image goes alone; a file goes as a reference the file manager can paste.
    void clipboard()
    {
        LinuxPlatform platform{ProcessContext{}};
        QImage image(64, 32, QImage::Format_RGB32);
        image.fill(QColor(10, 200, 30));
        platform.copyImageToClipboard(image);
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasImage());
        QVERIFY(!data->hasUrls());
        QCOMPARE(QGuiApplication::clipboard()->image().pixelColor(5, 5), QColor(10, 200, 30));

        const QString path = createFile(u"Desktop/"_s + awkwardName);
        platform.copyFileToClipboard(path);
        data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(data->data(u"x-special/gnome-copied-files"_s),
                 "copy\n" + QUrl::fromLocalFile(path).toEncoded());
    }

    // Markup hands the file to the default image application as one unaltered argument, and
    // the chosen application gets it the same way.
    void markupAndOpenWith()
    {
        LinuxPlatform platform{ProcessContext{}};
        const QString path = createFile(u"Pictures/"_s + awkwardName);
        std::atomic<int> opened{-1};
        platform.openForMarkup(path, [&opened](bool ok) { opened = ok ? 1 : 0; });
        QTRY_COMPARE(openedByViewer(), QStringList{path});
        QTRY_COMPARE(opened.load(), 1);
        // The default first, then the others, each once.
        QStringList ids;
        for (const FileApplication &app : platform.applicationsForFile(path)) {
            ids << app.id;
        }
        QCOMPARE(ids,
                 (QStringList{u"orvane-test-viewer.desktop"_s, u"orvane-test-editor.desktop"_s}));
        QVERIFY(!platform.openFileWith(path, u"no-such-app.desktop"_s).ok());
        QVERIFY(platform.openFileWith(path, u"orvane-test-viewer.desktop"_s).ok());
        QTRY_COMPARE(openedByViewer(), (QStringList{path, path}));
    }

    // The file manager on the bus is asked to show the file; without one, or when the file is
    // gone, its folder opens in the default application.
    void reveal_data()
    {
        QTest::addColumn<bool>("fileManager");
        QTest::addColumn<bool>("exists");
        QTest::newRow("file manager on the bus") << true << true;
        QTest::newRow("file there, no file manager on the bus") << false << true;
        QTest::newRow("file gone") << false << false;
    }
    void reveal()
    {
        QFETCH(bool, fileManager);
        QFETCH(bool, exists);
        QDBusConnection bus = QDBusConnection::sessionBus();
        FakeFileManager manager;
        if (fileManager) {
            if (!bus.isConnected()) {
                QSKIP("no session bus");
            }
            QVERIFY(bus.registerObject(u"/org/freedesktop/FileManager1"_s, &manager,
                                       QDBusConnection::ExportAllSlots));
            QVERIFY(bus.registerService(u"org.freedesktop.FileManager1"_s));
        }
        const QString folder = home->file(u"Shots $x `y`"_s);
        const QString path = folder + u'/' + awkwardName;
        QDir().mkpath(folder);
        QFile::remove(path);
        QVERIFY(!exists || write(path, "png"));
        LinuxPlatform platform{ProcessContext{}};
        platform.revealInFileManager(path, {});
        if (!fileManager) {
            QTRY_COMPARE(openedByViewer(), QStringList{folder});
            return;
        }
        QTRY_COMPARE(manager.shown,
                     QStringList{QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded())});
        QTest::qWait(100);
        QVERIFY(openedByViewer().isEmpty());
        bus.unregisterService(u"org.freedesktop.FileManager1"_s);
        bus.unregisterObject(u"/org/freedesktop/FileManager1"_s);
    }

    // On macOS the same paths go through `open` command lines; what `open` answers is what
    // the card is told. The quoting itself is the shell runner's test.
    void macCommandLines()
    {
        test::FakeTools tools;
        MacPlatform platform{ProcessContext{}};
        const QString path = createFile(u"Desktop/"_s + awkwardName);
        std::atomic<int> answer = -1; // given on a worker thread
        auto finished = [&answer](bool ok) { answer = ok ? 1 : 0; };
        tools.setFailing({u"open"_s});
        platform.openForMarkup(path, finished);
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
    }
};

int main(int argc, char *argv[])
{
    test::TestHome testHome;
    testHome.useSystemFileTypes(); // GIO must see a .png as an image to find its applications
    home = &testHome;
    QGuiApplication app(argc, argv);
    CardServicesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cardservices.moc"
