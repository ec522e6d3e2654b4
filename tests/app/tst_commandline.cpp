#include "app/CommandLine.h"

#include <QTest>

using namespace orvane;
using namespace Qt::StringLiterals;

// What a start answers by itself, before anything runs.
class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("exits");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::newRow("plain start") << QStringList{} << false << 0 << QString();
        QTest::newRow("--background") << QStringList{u"--background"_s} << false << 0 << QString();
        QTest::newRow("-background, as the login entry writes it")
            << QStringList{u"-background"_s} << false << 0 << QString();
        QTest::newRow("--simulate-capture")
            << QStringList{u"--simulate-capture"_s} << false << 0 << QString();
        QTest::newRow("Qt's own options")
            << QStringList{u"-platform"_s, u"offscreen"_s, u"--reverse"_s} << false << 0
            << QString();
        QTest::newRow("Finder's process number")
            << QStringList{u"-psn_0_12345"_s} << false << 0 << QString();
        QTest::newRow("--version") << QStringList{u"--version"_s} << true << 0 << u"Orvane 1.2\n"_s;
        QTest::newRow("--help") << QStringList{u"--help"_s} << true << 0 << u"  --background\n"_s;
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s, u"--background"_s} << true << 2
                                        << u"orvane: Unknown option 'bogus'. (orvane --help "
                                           "lists the options)\n"_s;
    }
    void answers()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, exits);
        QFETCH(int, code);
        QFETCH(QString, says);
        const commandline::Answer answer =
            commandline::answer(QStringList{u"/usr/bin/orvane"_s} + arguments, u"1.2"_s);
        QCOMPARE(answer.exit, exits);
        QCOMPARE(answer.exitCode, code);
        QVERIFY2(answer.text.contains(says), qPrintable(answer.text));
        QCOMPARE(answer.onError, code != 0);
        QCOMPARE(answer.text.count(u'\n'), code == 2 ? 1 : answer.text.count(u'\n'));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
