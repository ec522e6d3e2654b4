#include "TestHome.h"

#include "platform/NullPlatform.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/macos/MacPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool place(const QString &path, const QByteArray &text = "ELF")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(text) == text.size() &&
           out.setPermissions(out.permissions() | QFileDevice::ExeOwner);
}

// Why the program stays, or none when it went.
std::optional<QString> refusal(const Result &removed)
{
    return removed.ok() ? std::nullopt : std::optional(removed.reason());
}

} // namespace

// The login entry on each system, and what the uninstall removes: the login entry always, the
// program only where it is safely the user's own; otherwise it says why it stays.
class LoginAgentTest : public QObject {
    Q_OBJECT

private slots:
    // Where a system offers nothing, every operation that can fail says so: the uninstall
    // must not report a removal, nor the switch a login item, that never happened.
    void nullServicesNeverClaimSuccess()
    {
        NullLoginServices login;
        NullShareServices share;
        for (const Result &result :
             {login.installLoginAgent(), login.registerLoginItem(), login.unregisterLoginItem(),
              login.removeProgram(), share.emailFile(u"/tmp/a.png"_s),
              share.openFileWith(u"/tmp/a.png"_s, u"viewer.desktop"_s),
              NullWindowServices().openFolder(u"/tmp"_s),
              NullSoundServices().playSystemSound(u"Tink"_s)}) {
            QVERIFY(!result.ok() && !result.reason().isEmpty());
        }
        QVERIFY(!login.isLoginItemEnabled());
        int trashed = -1;
        NullCardPlatformServices().moveToTrash(u"/tmp/a.png"_s, [&](bool ok) { trashed = ok; });
        QCOMPARE(trashed, 0);
    }

    // The launch agent starts the bundle's program, else the one started; it is well-formed
    // XML and replaced whole at every launch.
    void macAgent_data()
    {
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<QString>("argv0");
        QTest::addColumn<QString>("executable");
        QTest::newRow("app bundle, non-ASCII, XML characters")
            << u"/Users/zoë/R&D <new>/Orvane.app"_s << u"/x/Orvane"_s
            << u"/Users/zoë/R&D <new>/Orvane.app/Contents/MacOS/Orvane"_s;
        QTest::newRow("suffix in capitals")
            << u"/Applications/Orvane.APP"_s << u"/x/Orvane"_s << u"/x/Orvane"_s;
        QTest::newRow("no bundle, relative start")
            << u"/home/ann/build"_s << u"./orvane"_s << u"./orvane"_s;
    }
    void macAgent()
    {
        QFETCH(QString, bundle);
        QFETCH(QString, argv0);
        QFETCH(QString, executable);
        test::TestHome home;
        MacPlatform mac({argv0, bundle, {}, {}});
        const QString agent = home.file(u"Library/LaunchAgents/com.tarnwell.orvane.plist"_s);
        QVERIFY(place(agent, QByteArray(4096, 'x'))); // replaced whole
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

    // The entry names the program that runs, so that a desktop parses back its exact path; an
    // AppImage's variables count only for a program inside its mount point, not for one started
    // from that AppImage's terminal.
    void linuxAutostartExec_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("appImage");
        QTest::addColumn<QString>("appDir");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("tryExec"); // a plain string value; empty: the program
        const QString mine = u"/home/ann/Apps/Orvane x86_64.AppImage"_s;
        const auto plain = [](const char *name, const QString &program) -> QTestData & {
            return QTest::newRow(name) << program << QString() << QString();
        };
        plain("installed", u"/usr/bin/orvane"_s) << u"/usr/bin/orvane"_s << QString();
        plain("blank", u"/home/ann/My Apps/orvane"_s)
            << u"\"/home/ann/My Apps/orvane\""_s << QString();
        plain("quote, dollar, backquote", u"/opt/a\"b$c`d/orvane"_s)
            << u"\"/opt/a\\\\\"b\\\\$c\\\\`d/orvane\""_s << QString();
        plain("backslash", u"/opt/a\\b/orvane"_s)
            << u"\"/opt/a\\\\\\\\b/orvane\""_s << u"/opt/a\\\\b/orvane"_s;
        plain("percent", u"/opt/100%/orvane"_s) << u"/opt/100%%/orvane"_s << QString();
        QTest::newRow("its own AppImage")
            << u"/tmp/.mount_OrvaneX/usr/bin/orvane"_s << mine << u"/tmp/.mount_OrvaneX"_s
            << u"\"/home/ann/Apps/Orvane x86_64.AppImage\""_s << mine;
        QTest::newRow("started from another AppImage's terminal")
            << u"/usr/bin/orvane"_s << u"/home/ann/Apps/Terminal.AppImage"_s
            << u"/tmp/.mount_TerminXY"_s << u"/usr/bin/orvane"_s << QString();
        QTest::newRow("a mount point that only starts like ours")
            << u"/tmp/.mount_OrvaneX2/usr/bin/orvane"_s << mine << u"/tmp/.mount_OrvaneX"_s
            << u"/tmp/.mount_OrvaneX2/usr/bin/orvane"_s << QString();
        QTest::newRow("APPDIR is the root")
            << u"/usr/bin/orvane"_s << mine << u"/"_s << u"/usr/bin/orvane"_s << QString();
    }
    void linuxAutostartExec()
    {
        QFETCH(QString, program);
        QFETCH(QString, appImage);
        QFETCH(QString, appDir);
        QFETCH(QString, exec);
        QFETCH(QString, tryExec);
        test::TestHome home;
        LinuxPlatform platform(ProcessContext::make(program, {u"orvane"_s}, appImage, appDir));
        QVERIFY(platform.installLoginAgent().ok());
        const QStringList lines =
            QString::fromUtf8(readAll(platform.autostartEntryPath())).split(u'\n');
        QVERIFY2(lines.contains(u"Exec="_s + exec + u" --background"_s),
                 qPrintable(lines.join(u'\n')));
        QVERIFY(lines.contains(u"TryExec="_s + (tryExec.isEmpty() ? program : tryExec)));
    }

    // Switched on and off in the desktop's startup settings; written afresh when asked.
    void linuxAutostartEntry()
    {
        test::TestHome home;
        LinuxPlatform platform(
            {u"orvane"_s, u"/opt/Orvane dir"_s, u"/opt/Orvane dir/orvane"_s, {}});
        const QString entry = home.file(u".config/autostart/com.tarnwell.orvane.desktop"_s);
        QCOMPARE(LinuxPlatform::autostartEntryPath(), entry);
        QCOMPARE(platform.readLoginEntry(), LoginEntry::Absent);
        QVERIFY(platform.registerLoginItem().ok());
        QVERIFY(platform.isLoginItemEnabled());
        const QByteArray written = readAll(entry);
        QVERIFY(written.contains("Exec=\"/opt/Orvane dir/orvane\" --background\n"));
        for (const auto &[text, state] :
             {std::pair<QByteArray, LoginEntry>{written + "[Desktop Action x]\nHidden=true\n",
                                                LoginEntry::Enabled},
              {QByteArray(written).replace("enabled=true", "enabled=false"),
               LoginEntry::SwitchedOff},
              {written + "Hidden=true\n", LoginEntry::SwitchedOff}}) {
            QVERIFY(place(entry, text));
            QCOMPARE(platform.readLoginEntry(), state);
        }
        QVERIFY(!platform.isLoginItemEnabled());
        QVERIFY(platform.installLoginAgent().ok());
        QVERIFY(platform.isLoginItemEnabled());
        platform.removeLoginAgent();
        QVERIFY(!QFile::exists(entry));
        QVERIFY(platform.registerLoginItem().ok());
        QVERIFY(platform.unregisterLoginItem().ok());
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!platform.isLoginItemEnabled());
        QVERIFY(platform.unregisterLoginItem().ok()); // nothing to remove is no error
    }

    // On Linux the program goes to the Trash only as an AppImage it runs from, or a copy in
    // the home folder that is not a build. One home for all cases: GLib keeps the first it sees.
    void linuxProgramRemoved()
    {
        test::TestHome home;
        QTemporaryDir system;
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
            const QString note = platform.programRemovalNote();
            QVERIFY2(note.contains(c.told.isEmpty() ? u"will be moved to the Trash"_s : c.told),
                     qPrintable(note));
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

QTEST_GUILESS_MAIN(LoginAgentTest)
#include "tst_loginagent.moc"
