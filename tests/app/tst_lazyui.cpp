#include "LogCapture.h"
#include "RecordingPlatform.h"
#include "TestHome.h"

#include "app/LazyUserInterface.h"
#include "settings/AppState.h"

#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <thread>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// The module's side, recording what reached it.
struct FakeUserInterface final : UserInterface {
    void showHUD(const QString &filePath, const QImage &, const QSize &,
                 const QByteArray &) override
    {
        calls << u"card "_s + filePath;
    }
    void prepareCard() override { calls << u"prepare"_s; }
    void simulateCapture() override { calls << u"sample"_s; }
    void showPreferences() override { calls << u"preferences"_s; }
    QStringList calls;
};
FakeUserInterface *made = nullptr;

struct Setup {
    test::TestHome home;
    test::RecordingPlatform platform{home.file(u"settings.ini"_s)};
    AppState state{platform, platform.openSettings()};
    UserInterfaceContext context{platform, state, {}, {}};
};

} // namespace

class TestLazyUserInterface : public QObject {
    Q_OBJECT
private slots:
    // Prepared once off the main thread, loaded on it (Qt Quick's start-up touches Qt's globals).
    // What was asked meanwhile arrives then, of the cards only the newest, from any thread.
    void forwardsWhatWasAskedWhileLoading()
    {
        Setup setup;
        QSemaphore gate;
        const auto makeFake = +[](const UserInterfaceContext &) -> UserInterface * {
            return made = new FakeUserInterface;
        };
        UserInterfaceLoader loader;
        // Which thread each step ran on, in order; the main thread reads it once they are done.
        QStringList order;
        const auto onMain = [] { return QThread::currentThread() == qApp->thread(); };
        loader.prepare = [&] {
            order << (onMain() ? u"prepared on main"_s : u"prepared"_s);
            gate.tryAcquire(1, 10000); // not forever, should it run on this thread
            return QString();
        };
        // Qt's libraries one at a time, with the main thread's events answered in between.
        loader.loadNext = [&] {
            order << u"library"_s;
            QMetaObject::invokeMethod(
                qApp, [&order] { order << u"event"_s; }, Qt::QueuedConnection);
            return order.count(u"library"_s) < 3;
        };
        loader.load = [&] {
            order << (onMain() ? u"module"_s : u"module off main"_s);
            return UserInterfaceFactory{makeFake, {}};
        };
        LazyUserInterface ui(loader, setup.context);
        QSignalSpy settled(&ui, &LazyUserInterface::settled);
        // A request of the executable's own, run with the module's objects.
        const auto asking = [](const QString &what) {
            return
                [what](UserInterface &got) { static_cast<FakeUserInterface &>(got).calls << what; };
        };
        ui.showHUD(u"/shots/a.png"_s, {}, {}, {});
        ui.simulateCapture();
        ui.whenLoaded(asking(u"1"_s));
        ui.showPreferences();
        ui.whenLoaded(asking(u"2"_s));
        std::thread([&ui] { ui.showHUD(u"/shots/b.png"_s, {}, {}, {}); }).join();
        ui.showPreferences();
        QVERIFY(!ui.loaded());
        gate.release();
        QTRY_COMPARE(settled.size(), 1);
        QCOMPARE(ui.loaded(), made);
        ui.simulateCapture();
        ui.showHUD(u"/shots/c.png"_s, {}, {}, {});
        ui.whenLoaded(asking(u"3"_s));
        QCOMPARE(made->calls, QStringList({u"card /shots/b.png"_s, u"preferences"_s, u"1"_s, u"2"_s,
                                           u"sample"_s, u"card /shots/c.png"_s, u"3"_s}));
        QCOMPARE(order.mid(0, 7),
                 QStringList({u"prepared"_s, u"library"_s, u"event"_s, u"library"_s, u"event"_s,
                              u"library"_s, u"module"_s}));
        QCOMPARE(order.count(u"module"_s), 1);
    }

    // A module that cannot be had: one log line with the reason; cards are dropped and every
    // request for the preferences reported, for the tray to say so.
    void failureIsLoggedOnceAndReported_data()
    {
        QTest::addColumn<QByteArray>("content"); // of the module's file; none: no file
        QTest::addColumn<QString>("reason");     // part of the error reported
        QTest::newRow("missing") << QByteArray() << u"orvane-ui.so: No such file"_s;
        QTest::newRow("not a library")
            << QByteArray("not an ELF file\n") << u"orvane-ui.so: it is not a library"_s;
        QTest::newRow("makes nothing") << QByteArray() << u"the module made nothing"_s;
        // The real module, checked before any code runs (a missing page would be a SIGBUS).
        QFile real(QStringLiteral(ORVANE_UI_MODULE_PATH));
        QVERIFY(real.open(QIODevice::ReadOnly));
        const QByteArray module = real.readAll();
        const QString cutShort = u"orvane-ui.so: the file is cut short ("_s;
        QTest::newRow("one byte short") << module.chopped(1) << cutShort;
        QTest::newRow("its ELF header only") << module.left(64) << cutShort;
        QByteArray farHeaders = module.left(64);
        qToLittleEndian<quint64>(~quint64(0) - 8, farHeaders.data() + 32); // e_phoff
        QTest::newRow("headers said to lie beyond any file") << farHeaders << cutShort;
        // This test is not the executable the module was built with.
        QTest::newRow("another build")
            << module << u"orvane-ui.so: it was built for another build of Orvane"_s;
    }
    void failureIsLoggedOnceAndReported()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        Setup setup;
        const QString path = setup.home.file(u"orvane-ui.so"_s);
        if (!content.isEmpty()) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(content) == content.size());
        }
        UserInterfaceLoader loader = userInterfaceLoader(path);
        if (!reason.startsWith(u"orvane"_s)) {
            loader.prepare = [] { return QString(); };
            loader.load = [] {
                return UserInterfaceFactory{
                    +[](const UserInterfaceContext &) -> UserInterface * { return nullptr; }, {}};
            };
        }
        test::LogCapture log;
        LazyUserInterface ui(loader, setup.context);
        QSignalSpy settled(&ui, &LazyUserInterface::settled);
        QSignalSpy unavailable(&ui, &LazyUserInterface::preferencesUnavailable);
        QStringList failures;
        ui.showHUD(u"/shots/a.png"_s, {}, {}, {});
        ui.showPreferences();
        ui.whenLoaded([](UserInterface &) { QFAIL("asked without a module"); },
                      [&failures](const QString &error) { failures << error; });
        QTRY_COMPARE(settled.size(), 1);
        QCOMPARE(unavailable.size(), 1);
        const QString error = unavailable.at(0).at(0).toString();
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(failures, QStringList{error});
        ui.showHUD(u"/shots/b.png"_s, {}, {}, {});
        ui.simulateCapture();
        ui.showPreferences();
        QCOMPARE(unavailable.size(), 2);
        QVERIFY(!ui.loaded());
        QCOMPARE(settled.size(), 1);
        QCOMPARE(log.lines(),
                 QStringList{u"[Orvane] The card and preferences could not be loaded: "_s + error});
    }
};

QTEST_MAIN(TestLazyUserInterface)
#include "tst_lazyui.moc"
