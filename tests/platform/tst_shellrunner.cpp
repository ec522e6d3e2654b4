#include "FakeTools.h"
#include "TestHome.h"

#include "platform/MacCommandLines.h"
#include "platform/ShellRunner.h"
#include "platform/macos/MacPlatform.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

class ShellRunnerTest : public QObject {
    Q_OBJECT

private slots:
    // All a command printed on its standard output, even failing; none for text not UTF-8.
    void output()
    {
        for (const auto &[commandLine, expected] :
             std::initializer_list<std::pair<QString, std::optional<QString>>>{
                 {u"true"_s, u""_s},
                 {u"echo oops >&2"_s, u""_s},
                 {u"echo /Users/ann/Shots"_s, u"/Users/ann/Shots\n"_s},
                 {u"printf partial; exit 3"_s, u"partial"_s},
                 {u"printf 'Écran ✓'"_s, u"Écran ✓"_s},
                 {u"printf '\\377\\376'"_s, std::nullopt},
                 {u"head -c 1000000 /dev/zero | tr '\\0' x"_s, QString(1000000, u'x')}}) {
            QVERIFY2(runShellCommand(commandLine) == expected, qPrintable(commandLine));
        }
    }

    // Paths that would break a naively quoted command line.
    void hostilePaths_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &path :
             {u"/tmp/say \"cheese\".png"_s, u"/tmp/back\\slash\\\\.png"_s,
              u"/tmp/$HOME/${PATH}.png"_s, u"/tmp/`touch pwned`$(touch pwned).png"_s,
              u"/tmp/it's.png"_s, u"/tmp/two\nlines.png"_s, u"-rf"_s,
              u"/Users/zoë/Bildschirmfotos/Écran 📸.png"_s, u"/tmp/x\\"_s}) {
            QTest::addRow("%s", qPrintable(path)) << path;
        }
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
    void joiners()
    {
        const QString write = maccmd::writeScreenshotLocation(u"/tmp/x"_s);
        for (const auto &[commandLine, defaultsFails, restarts] :
             {std::tuple{write, false, true},
              {write, true, false},
              {maccmd::resetScreenshotLocation(), true, false},
              {maccmd::resetScreenshotThumbnail(), true, true}}) {
            test::FakeTools tools;
            tools.setFailing(defaultsFails ? QStringList{u"defaults"_s} : QStringList());
            runShellCommand(commandLine);
            QCOMPARE(tools.calls().contains(QStringList{u"killall"_s, u"SystemUIServer"_s}),
                     restarts);
        }
    }

    // The removal deletes recursively: only a real bundle may reach it, its path unaltered to
    // Finder and the fallback. "~" has two bundles, a build, Apps/{webapp,.app}, a file, a link.
    void onlyABundleIsRemoved_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString &path :
             {u"~/Apps/Orvane.app"_s, u"~/Apps/It's \"my\" $HOME `x` \\.app"_s, u""_s, u"/"_s,
              u"~/Apps/.app"_s, u"~/Apps/webapp"_s, u"~/build/default/src/app"_s,
              u"~/Apps/Orvane.app/"_s, u"~/Apps/Orvane.app/../Orvane.app"_s,
              u"~/Apps/Orvane.app/.."_s, u"~/Apps//Orvane.app"_s, u"Apps/Orvane.app"_s,
              u"~/Apps/File.app"_s, u"~/Apps/Link.app"_s, u"~/Apps/Gone.app"_s, u"~"_s}) {
            QTest::addRow("'%s'", qPrintable(path)) << path;
        }
    }
    void onlyABundleIsRemoved()
    {
        QFETCH(QString, path);
        const bool accepted = path == u"~/Apps/Orvane.app"_s || path.contains(u'`'); // the bundles
        test::TestHome home;
        for (const char *folder : {"Apps/Orvane.app/Contents", "Apps/It's \"my\" $HOME `x` \\.app",
                                   "Apps/webapp", "Apps/.app", "build/default/src/app"}) {
            QVERIFY(QDir().mkpath(home.file(QString::fromUtf8(folder))));
        }
        QVERIFY(QFile(home.file(u"Apps/File.app"_s)).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(home.path(), home.file(u"Apps/Link.app"_s)));
        if (path.startsWith(u'~')) {
            path.replace(0, 1, home.path());
        }
        QCOMPARE(maccmd::isAppBundlePath(path), accepted);
        test::FakeTools tools;
        tools.setFailing({u"osascript"_s}); // so the script removes it itself
        MacPlatform platform({path + u"/orvane"_s, path, {}, {}});
        QCOMPARE(platform.programRemovalPlan().toTrash, accepted);
        // A question that said it stays: no script is started (the calls below: one).
        QCOMPARE(platform.removeProgram(false).reason(), path + u" stays, as the question said."_s);
        const Result removed = platform.removeProgram(true);
        if (!accepted) {
            QCOMPARE(removed.reason(),
                     path + u" is not an application bundle; nothing was removed."_s);
            return;
        }
        QVERIFY(removed.ok());
        QVERIFY(maccmd::removeBundleScript(path)->startsWith(u"sleep 0.4\n"_s)); // lets it quit
        QTRY_VERIFY2_WITH_TIMEOUT(!QFile::exists(path), "the fallback removal missed the bundle",
                                  10000);
        const QString escaped =
            QString(path).replace(u"\\"_s, u"\\\\"_s).replace(u"\""_s, u"\\\""_s);
        const QString script = u"tell application \"Finder\" to delete POSIX file \"%1\""_s;
        QCOMPARE(tools.calls(),
                 QList<QStringList>({{u"osascript"_s, u"-e"_s, script.arg(escaped)}}));
        QVERIFY(QFile::exists(home.file(u"Apps/webapp"_s)));
    }
};

QTEST_GUILESS_MAIN(ShellRunnerTest)
#include "tst_shellrunner.moc"
