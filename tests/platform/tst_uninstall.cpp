#include "FakeTools.h"
#include "TestHome.h"

#include "platform/linux/LinuxPlatform.h"
#include "platform/macos/MacPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// Why the program stays, or none when it went.
std::optional<QString> refusal(const Result &removed)
{
    return removed.ok() ? std::nullopt : std::optional(removed.reason());
}

} // namespace

// What the uninstall removes: the login entry always, the program only where it is safely the
// user's own; otherwise it says why it stays and how to remove it.
class UninstallTest : public QObject {
    Q_OBJECT

private slots:
    // Against stand-ins for the macOS tools. Outside an .app bundle the "bundle" is the folder
    // holding the program: nothing of it may be removed.
    void macBundle_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("removed");
        QTest::newRow("bundle") << u"Apps/Orvane.app"_s << true;
        QTest::newRow("build folder") << u"build/default/src/app"_s << false;
    }
    void macBundle()
    {
        QFETCH(QString, folder);
        QFETCH(bool, removed);
        test::TestHome home;
        test::FakeTools tools;
        tools.setFailing({u"osascript"_s}); // so the script removes it itself
        const QString bundle = home.file(folder);
        QDir().mkpath(bundle);
        MacPlatform platform(
            ProcessContext{bundle + u"/orvane"_s, bundle, bundle + u"/orvane"_s, {}});
        QVERIFY(platform.installLoginAgent().ok());
        platform.unloadLoginAgent();
        platform.removeLoginAgent();
        QVERIFY(!QFile::exists(home.file(u"Library/LaunchAgents/com.tarnwell.orvane.plist"_s)));
        QCOMPARE(refusal(platform.removeProgram()),
                 removed ? std::nullopt
                         : std::optional(bundle +
                                         u" is not an application bundle; nothing was removed."_s));
        QTRY_COMPARE_WITH_TIMEOUT(QFile::exists(bundle), !removed, 10000);
        QVERIFY(QFile::exists(home.file(u"Apps"_s)) || !removed);
    }

    // On Linux the program goes to the Trash only as an AppImage it runs from, or a copy in
    // the home folder that is not a build. One home for all cases: GLib keeps the first it sees.
    void linuxProgram()
    {
        test::TestHome home;
        QTemporaryDir system;
        const auto place = [](const QString &file, const QByteArray &text = "ELF") {
            QDir().mkpath(QFileInfo(file).path());
            QFile out(file);
            return out.open(QIODevice::WriteOnly) && out.write(text) == text.size() &&
                   out.setPermissions(out.permissions() | QFileDevice::ExeOwner);
        };
        // dpkg's answer, for the one program "installed from a package".
        QVERIFY(place(system.filePath(u"bin/dpkg-query"_s),
                      "#!/bin/sh\ncase \"$2\" in */packaged/usr/bin/orvane) echo \"orvane: $2\";; "
                      "*) exit 1;; esac\n"));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", system.filePath(u"bin"_s).toUtf8() + ':' + path);
        QVERIFY(place(home.file(u"src/orvane/build/default/CMakeCache.txt"_s)));
        const QString otherAppImage = system.filePath(u"Apps/Terminal.AppImage"_s);
        const QString mount = system.filePath(u"mnt/.mount_Orvane"_s);
        const QString appImage = system.filePath(u"Apps/Orvane x86_64.AppImage"_s);
        QVERIFY(place(otherAppImage) && place(mount + u"/usr/bin/orvane"_s));
        struct Case {
            QString program;
            ProcessContext context;
            QString told; // in the note; empty: trashed
        };
        const auto plain = [](const QString &program, const QString &told = {}) {
            return Case{program, ProcessContext::make(program, {program}, {}, {}), told};
        };
        const QString elsewhere = u"remove it the way it was installed"_s;
        const QList<Case> cases{
            plain(home.file(u".local/bin/orvane"_s)),
            plain(system.filePath(u"usr/bin/orvane"_s), elsewhere),
            plain(system.filePath(u"packaged/usr/bin/orvane"_s), u"\"sudo apt remove orvane\""_s),
            plain(home.file(u"src/orvane/build/default/src/app/orvane"_s), u"is a build"_s),
            {appImage, ProcessContext::make(mount + u"/usr/bin/orvane"_s, {}, appImage, mount), {}},
            // Started from another AppImage's terminal, which passed its variables on.
            {system.filePath(u"usr/local/bin/orvane"_s),
             ProcessContext::make(system.filePath(u"usr/local/bin/orvane"_s), {}, otherAppImage,
                                  system.filePath(u"mnt/.mount_Termin"_s)),
             elsewhere}};
        for (const Case &c : cases) {
            QVERIFY(place(c.program));
            LinuxPlatform platform(c.context);
            QVERIFY(platform.installLoginAgent().ok());
            QVERIFY(QFile::exists(LinuxPlatform::autostartEntryPath()));
            const QString note = platform.programRemovalNote();
            QVERIFY2(note.contains(c.told.isEmpty() ? u"will be moved to the Trash"_s : c.told),
                     qPrintable(note));
            platform.removeLoginAgent();
            QVERIFY(!QFile::exists(LinuxPlatform::autostartEntryPath()));
            QCOMPARE(refusal(platform.removeProgram()),
                     c.told.isEmpty() ? std::nullopt : std::optional(note));
            const QString trashed =
                home.file(u".local/share/Trash/files/"_s) + QFileInfo(c.program).fileName();
            QCOMPARE(QFile::exists(c.program), !c.told.isEmpty());
            QCOMPARE(QFile::exists(trashed), c.told.isEmpty());
            QVERIFY(QFile::exists(otherAppImage));
            QFile::remove(trashed);
        }
        qputenv("PATH", path);
    }
};

QTEST_GUILESS_MAIN(UninstallTest)
#include "tst_uninstall.moc"
