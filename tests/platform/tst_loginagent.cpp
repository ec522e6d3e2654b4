#include "TestHome.h"

#include "platform/LoginAgentText.h"
#include "platform/NullPlatform.h"
#include "platform/ProcessContext.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/macos/MacPlatform.h"

#include <QDir>
#include <QFile>
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
} // namespace

class LoginAgentTest : public QObject {
    Q_OBJECT

private slots:
    // Where a system offers nothing, every operation that can fail says so: the uninstall
    // must not report a removal, nor the switch a login item, that never happened.
    void nullServicesNeverClaimSuccess()
    {
        NullLoginServices login;
        NullShareServices share;
        NullWindowServices windows;
        for (const Result &result :
             {login.installLoginAgent(), login.registerLoginItem(), login.unregisterLoginItem(),
              login.removeProgram(), share.emailFile(u"/tmp/a.png"_s),
              share.openFileWith(u"/tmp/a.png"_s, u"viewer.desktop"_s),
              windows.openFolder(u"/tmp"_s), NullSoundServices().playSystemSound(u"Tink"_s)}) {
            QVERIFY(!result.ok());
            QVERIFY(!result.reason().isEmpty());
        }
        QVERIFY(!login.isLoginItemEnabled());
        int trashed = -1;
        NullCardPlatformServices().moveToTrash(u"/tmp/a.png"_s, [&](bool ok) { trashed = ok; });
        QCOMPARE(trashed, 0);
    }

    void executablePath_data()
    {
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<QString>("argv0");
        QTest::addColumn<QString>("expected");
        QTest::newRow("app bundle") << u"/Applications/Orvane.app"_s << u"/x/Orvane"_s
                                    << u"/Applications/Orvane.app/Contents/MacOS/Orvane"_s;
        QTest::newRow("suffix in capitals")
            << u"/Applications/Orvane.APP"_s << u"/x/Orvane"_s << u"/x/Orvane"_s;
        QTest::newRow("no bundle, relative start")
            << u"/home/ann/build"_s << u"./orvane"_s << u"./orvane"_s;
    }
    void executablePath()
    {
        QFETCH(QString, bundle);
        QFETCH(QString, argv0);
        QFETCH(QString, expected);
        QCOMPARE(loginagent::executablePath(bundle, argv0), expected);
    }

    void plistBytes_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("inFile");
        QTest::newRow("non-ASCII") << u"/Users/zoë/Apps/Orvane"_s << u"/Users/zoë/Apps/Orvane"_s;
        QTest::newRow("XML characters escaped")
            << u"/Apps/R&D <new>/Orvane"_s << u"/Apps/R&amp;D &lt;new&gt;/Orvane"_s;
    }
    void plistBytes()
    {
        QFETCH(QString, executable);
        QFETCH(QString, inFile);
        const QByteArray text = loginagent::plistText(executable).toUtf8();
        QCOMPARE(text.split('\n').at(8), "        <string>" + inFile.toUtf8() + "</string>");
        // Well-formed: the path reads back unchanged.
        QXmlStreamReader xml(text);
        QStringList strings;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"string"_s) {
                strings << xml.readElementText();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(strings, QStringList({u"com.tarnwell.orvane"_s, executable, u"--background"_s,
                                       u"Interactive"_s}));
    }

    void macAgentFileReplacedAtEveryLaunch()
    {
        test::TestHome home;
        MacPlatform mac({u"/Applications/Orvane.app/Contents/MacOS/Orvane"_s,
                         u"/Applications/Orvane.app"_s,
                         {},
                         {}});
        const QString agent = home.file(u"Library/LaunchAgents/com.tarnwell.orvane.plist"_s);
        QVERIFY(mac.installLoginAgent().ok()); // creates the missing folders
        const QByteArray expected =
            loginagent::plistText(u"/Applications/Orvane.app/Contents/MacOS/Orvane"_s).toUtf8();
        QCOMPARE(readAll(agent), expected);

        QFile other(agent);
        QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
        other.write("something else entirely, and longer than the agent itself would be......");
        other.close();
        QVERIFY(mac.installLoginAgent().ok());
        QCOMPARE(readAll(agent), expected);
        mac.removeLoginAgent();
        QVERIFY(!QFile::exists(agent));
    }

    // The Exec value must give back the exact path once a desktop parses it.
    void desktopExec_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("execLine");
        QTest::addColumn<QString>("tryExec"); // a plain string value: no Exec quoting
        QTest::newRow("blank") << u"/home/ann/My Apps/orvane"_s
                               << u"\"/home/ann/My Apps/orvane\" --background"_s
                               << u"/home/ann/My Apps/orvane"_s;
        QTest::newRow("quote, dollar, backquote")
            << u"/opt/a\"b$c`d/orvane"_s << u"\"/opt/a\\\\\"b\\\\$c\\\\`d/orvane\" --background"_s
            << u"/opt/a\"b$c`d/orvane"_s;
        QTest::newRow("backslash")
            << u"/opt/a\\b/orvane"_s << u"\"/opt/a\\\\\\\\b/orvane\" --background"_s
            << u"/opt/a\\\\b/orvane"_s;
        QTest::newRow("percent") << u"/opt/100%/orvane"_s << u"/opt/100%%/orvane --background"_s
                                 << u"/opt/100%/orvane"_s;
    }
    void desktopExec()
    {
        QFETCH(QString, path);
        QFETCH(QString, execLine);
        QFETCH(QString, tryExec);
        const QStringList lines = loginagent::desktopEntryText(path).split(u'\n');
        QVERIFY(lines.contains(u"Exec="_s + execLine));
        QVERIFY(lines.contains(u"TryExec="_s + tryExec));
    }

    void desktopEntryEnabled_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        const QString entry = loginagent::desktopEntryText(u"/usr/bin/orvane"_s);
        QTest::newRow("switched off in GNOME")
            << QString(entry).replace(u"X-GNOME-Autostart-enabled=true"_s,
                                      u"X-GNOME-Autostart-enabled=false"_s)
            << false;
        QTest::newRow("Hidden in another group")
            << entry + u"[Desktop Action x]\nHidden=true\n"_s << true;
    }
    void desktopEntryEnabled()
    {
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        QCOMPARE(loginagent::desktopEntryEnabled(text), enabled);
    }

    // The autostart entry names the program that runs; an AppImage's variables count only
    // for a program inside its mount point, not for one started from that AppImage's terminal.
    void autostartNamesTheRunningProgram_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("appImage");
        QTest::addColumn<QString>("appDir");
        QTest::addColumn<QString>("exec");
        const QString mine = u"/home/ann/Apps/Orvane x86_64.AppImage"_s;
        QTest::newRow("installed")
            << u"/usr/bin/orvane"_s << QString() << QString() << u"/usr/bin/orvane"_s;
        QTest::newRow("its own AppImage")
            << u"/tmp/.mount_OrvaneX/usr/bin/orvane"_s << mine << u"/tmp/.mount_OrvaneX"_s
            << u"\"/home/ann/Apps/Orvane x86_64.AppImage\""_s;
        QTest::newRow("started from another AppImage's terminal")
            << u"/usr/bin/orvane"_s << u"/home/ann/Apps/Terminal.AppImage"_s
            << u"/tmp/.mount_TerminXY"_s << u"/usr/bin/orvane"_s;
        QTest::newRow("a mount point that only starts like ours")
            << u"/tmp/.mount_OrvaneX2/usr/bin/orvane"_s << mine << u"/tmp/.mount_OrvaneX"_s
            << u"/tmp/.mount_OrvaneX2/usr/bin/orvane"_s;
        QTest::newRow("APPDIR is the root")
            << u"/usr/bin/orvane"_s << mine << u"/"_s << u"/usr/bin/orvane"_s;
    }
    void autostartNamesTheRunningProgram()
    {
        QFETCH(QString, program);
        QFETCH(QString, appImage);
        QFETCH(QString, appDir);
        QFETCH(QString, exec);
        test::TestHome home;
        const ProcessContext context =
            ProcessContext::make(program, {u"orvane"_s}, appImage, appDir);
        QCOMPARE(context.appImage.isEmpty(), !exec.contains(u".AppImage"_s));
        LinuxPlatform platform(context);
        QVERIFY(platform.installLoginAgent().ok());
        QVERIFY2(readAll(LinuxPlatform::autostartEntryPath())
                     .contains(QByteArray("\nExec=" + exec.toUtf8() + " --background\n")),
                 readAll(LinuxPlatform::autostartEntryPath()).constData());
    }

    void linuxAutostartEntry()
    {
        test::TestHome home;
        LinuxPlatform platform(
            {u"orvane"_s, u"/opt/Orvane dir"_s, u"/opt/Orvane dir/orvane"_s, {}});
        const QString entry = home.file(u".config/autostart/com.tarnwell.orvane.desktop"_s);
        QCOMPARE(LinuxPlatform::autostartEntryPath(), entry);
        QVERIFY(!platform.isLoginItemEnabled());
        QCOMPARE(platform.readLoginEntry(), LoginEntry::Absent);

        QVERIFY(platform.registerLoginItem().ok());
        QVERIFY(platform.isLoginItemEnabled());
        QVERIFY(readAll(entry).contains("Exec=\"/opt/Orvane dir/orvane\" --background\n"));

        QFile hidden(entry);
        QVERIFY(hidden.open(QIODevice::Append));
        hidden.write("Hidden=true\n");
        hidden.close();
        QVERIFY(!platform.isLoginItemEnabled());
        QCOMPARE(platform.readLoginEntry(), LoginEntry::SwitchedOff);
        QVERIFY(platform.installLoginAgent().ok()); // written afresh, enabled again
        QVERIFY(platform.isLoginItemEnabled());

        QVERIFY(platform.unregisterLoginItem().ok());
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!platform.isLoginItemEnabled());
        QVERIFY(platform.unregisterLoginItem().ok()); // nothing to remove is no error
    }
};

QTEST_GUILESS_MAIN(LoginAgentTest)
#include "tst_loginagent.moc"
