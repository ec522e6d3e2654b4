#include "FakeTools.h"
#include "TestHome.h"

#include "platform/MacCommandLines.h"
#include "platform/ShellRunner.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

class ShellRunnerTest : public QObject {
    Q_OBJECT

private slots:
    void output_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<std::optional<QString>>("expected");
        using O = std::optional<QString>;
        QTest::newRow("nothing printed is empty text, not none") << u"true"_s << O(u""_s);
        QTest::newRow("error output is never seen") << u"echo oops >&2"_s << O(u""_s);
        QTest::newRow("line end kept") << u"echo /Users/ann/Shots"_s << O(u"/Users/ann/Shots\n"_s);
        QTest::newRow("failing command still gives its text")
            << u"printf partial; exit 3"_s << O(u"partial"_s);
        QTest::newRow("non-ASCII output") << u"printf 'Écran ✓'"_s << O(u"Écran ✓"_s);
        QTest::newRow("invalid UTF-8 is none") << u"printf '\\377\\376'"_s << O();
    }
    void output()
    {
        QFETCH(QString, commandLine);
        QTEST(runShellCommand(commandLine), "expected");
    }

    void outputLargerThanAPipeDoesNotStall()
    {
        QCOMPARE(
            runShellCommand(u"head -c 1000000 /dev/zero | tr '\\0' x"_s).value_or(u""_s).size(),
            1000000);
    }

    // Paths that would break a naively quoted command line.
    void hostilePaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("double quote") << u"/tmp/say \"cheese\".png"_s;
        QTest::newRow("backslash") << u"/tmp/back\\slash\\\\.png"_s;
        QTest::newRow("dollar") << u"/tmp/$HOME/${PATH}.png"_s;
        QTest::newRow("backquote and substitution") << u"/tmp/`touch pwned`$(touch pwned).png"_s;
        QTest::newRow("single quote") << u"/tmp/it's.png"_s;
        QTest::newRow("newline") << u"/tmp/two\nlines.png"_s;
        QTest::newRow("leading dash") << u"-rf"_s;
        QTest::newRow("non-ASCII") << u"/Users/zoë/Bildschirmfotos/Écran 📸.png"_s;
        QTest::newRow("trailing backslash") << u"/tmp/x\\"_s;
    }
    void hostilePaths()
    {
        QFETCH(QString, path);
        test::TestHome home;
        QDir::setCurrent(home.path());
        test::FakeTools tools;

        const QString agent = path + u"/Library/LaunchAgents/com.tarnwell.orvane.plist"_s;
        runShellCommand(maccmd::writeScreenshotLocation(path));
        runShellCommand(maccmd::openInPreview(path));
        runShellCommand(maccmd::revealInFinder(path, true));
        runShellCommand(maccmd::unloadLaunchAgent(agent));
        runShellCommand(maccmd::revealInFinder(path + u"/gone.png"_s, false)); // its folder

        const QList<QStringList> expected = {
            {u"defaults"_s, u"write"_s, u"com.apple.screencapture"_s, u"location"_s, path},
            {u"killall"_s, u"SystemUIServer"_s},
            {u"open"_s, u"-a"_s, u"Preview"_s, path},
            {u"open"_s, u"-R"_s, path},
            {u"launchctl"_s, u"unload"_s, u"-w"_s, agent},
            {u"open"_s, path},
        };
        QCOMPARE(tools.calls(), expected);
        QVERIFY2(!QFile::exists(home.file(u"pwned"_s)), "the path was run as a command");
    }

    // "&&" restarts SystemUIServer only after a successful write; ";" restarts it always.
    void joiners_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("defaultsFails");
        QTest::addColumn<bool>("restarts");
        const QString write = maccmd::writeScreenshotLocation(u"/tmp/x"_s);
        QTest::newRow("write ok") << write << false << true;
        QTest::newRow("write failed") << write << true << false;
        QTest::newRow("reset location failed")
            << maccmd::resetScreenshotLocation() << true << false;
        QTest::newRow("thumbnail reset failed")
            << maccmd::resetScreenshotThumbnail() << true << true;
    }
    void joiners()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, defaultsFails);
        QFETCH(bool, restarts);
        test::FakeTools tools;
        if (defaultsFails) {
            tools.setFailing({u"defaults"_s});
        }
        runShellCommand(commandLine);
        const bool restarted =
            tools.calls().contains(QStringList{u"killall"_s, u"SystemUIServer"_s});
        QCOMPARE(restarted, restarts);
    }

    // The removal script deletes recursively: only a real bundle may ever reach it. "~" stands
    // for the test's home, which holds Apps/Orvane.app, Apps/webapp and Apps/.app (folders),
    // Apps/File.app (a file) and Apps/Link.app (a link to the home folder).
    void onlyABundleIsRemoved_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("a bundle") << u"~/Apps/Orvane.app"_s << true;
        QTest::newRow("empty") << u""_s << false;
        QTest::newRow("root") << u"/"_s << false;
        QTest::newRow("only the suffix") << u"~/Apps/.app"_s << false;
        QTest::newRow("name merely ending in app") << u"~/Apps/webapp"_s << false;
        QTest::newRow("trailing slash") << u"~/Apps/Orvane.app/"_s << false;
        QTest::newRow("dot dot") << u"~/Apps/Orvane.app/../Orvane.app"_s << false;
        QTest::newRow("parent of a bundle") << u"~/Apps/Orvane.app/.."_s << false;
        QTest::newRow("doubled slash") << u"~/Apps//Orvane.app"_s << false;
        QTest::newRow("relative") << u"Apps/Orvane.app"_s << false;
        QTest::newRow("a file named like a bundle") << u"~/Apps/File.app"_s << false;
        QTest::newRow("a link named like a bundle") << u"~/Apps/Link.app"_s << false;
        QTest::newRow("missing") << u"~/Apps/Gone.app"_s << false;
        QTest::newRow("the home folder") << u"~"_s << false;
    }
    void onlyABundleIsRemoved()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        test::TestHome home;
        QDir().mkpath(home.file(u"Apps/Orvane.app/Contents"_s));
        QDir().mkpath(home.file(u"Apps/webapp"_s));
        QDir().mkpath(home.file(u"Apps/.app"_s));
        QFile file(home.file(u"Apps/File.app"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QFile::link(home.path(), home.file(u"Apps/Link.app"_s)));
        if (path.startsWith(u'~')) {
            path.replace(0, 1, home.path());
        }

        QCOMPARE(maccmd::isAppBundlePath(path), accepted);
        const std::optional<QString> script = maccmd::removeBundleScript(path);
        QCOMPARE(script.has_value(), accepted);
        if (script) {
            test::FakeTools tools;
            tools.setFailing({u"osascript"_s});
            QCOMPARE(runShellCommand(u"/bin/sh -c "_s + shellQuoted(*script)),
                     std::optional(u""_s));
            QVERIFY(!QFile::exists(path));
            QVERIFY(QFile::exists(home.file(u"Apps/webapp"_s)));
        }
    }

    // The bundle path reaches Finder's AppleScript, and the fallback removal, unaltered.
    void removeBundleScriptWithHostilePath()
    {
        test::TestHome home;
        test::FakeTools tools;
        const QString bundle = home.file(u"Apps/It's \"my\" $HOME `x` \\.app"_s);
        QDir().mkpath(bundle);
        tools.setFailing({u"osascript"_s});
        const std::optional<QString> script = maccmd::removeBundleScript(bundle);
        QVERIFY(script && script->startsWith(u"sleep 0.4\n"_s));
        QCOMPARE(runShellCommand(u"/bin/sh -c "_s + shellQuoted(*script)), std::optional(u""_s));

        const QString escaped =
            QString(bundle).replace(u"\\"_s, u"\\\\"_s).replace(u"\""_s, u"\\\""_s);
        QCOMPARE(tools.calls(),
                 QList<QStringList>({{u"osascript"_s, u"-e"_s,
                                      u"tell application \"Finder\" to delete POSIX file \""_s +
                                          escaped + u"\""_s}}));
        QVERIFY2(!QFile::exists(bundle), "the fallback removal missed the bundle");
        QVERIFY(QFile::exists(home.file(u"Apps"_s)));
    }
};

QTEST_GUILESS_MAIN(ShellRunnerTest)
#include "tst_shellrunner.moc"
