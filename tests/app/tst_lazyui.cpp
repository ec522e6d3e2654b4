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
    void simulateCapture() override { calls << u"sample"_s; }
    void showPreferences() override { calls << u"preferences"_s; }
    void popUpMenu(const QList<MenuEntry> &, const QPoint &,
                   std::function<void(const MenuEntry &)>) override
    {
        calls << u"menu"_s;
    }
    void ask(const Alert &alert, std::function<void(int)>) override
    {
        calls << u"ask "_s + alert.title;
    }
    void chooseFolder(const FolderRequest &, std::function<void(std::optional<QString>)>) override
    {}
    QStringList calls;
};
FakeUserInterface *made = nullptr;

Alert titled(const QString &title)
{
    Alert alert;
    alert.title = title;
    return alert;
}

struct Setup {
    test::TestHome home;
    test::RecordingPlatform platform{home.file(u"settings.ini"_s)};
    AppState state{platform, platform.openSettings()};
    UserInterfaceContext context{platform, state, {}};
};

} // namespace

class TestLazyUserInterface : public QObject {
    Q_OBJECT
private slots:
    // Loaded once, off the main thread; what was asked meanwhile arrives once it is there, of
    // the cards only the newest, whichever thread asked. Then straight through.
    void forwardsWhatWasAskedWhileLoading()
    {
        Setup setup;
        QSemaphore gate;
        std::atomic<int> loads{0};
        std::atomic<QThread *> loadedOn{nullptr};
        const auto makeFake = +[](const UserInterfaceContext &) -> UserInterface * {
            return made = new FakeUserInterface;
        };
        LazyUserInterface ui(
            [&] {
                ++loads;
                loadedOn = QThread::currentThread();
                gate.tryAcquire(1, 10000); // not forever, should it run on this thread
                return UserInterfaceFactory{makeFake, {}};
            },
            setup.context);
        QSignalSpy settled(&ui, &LazyUserInterface::settled);
        ui.showHUD(u"/shots/a.png"_s, {}, {}, {});
        ui.simulateCapture();
        ui.whenLoaded([](UserInterface &loaded) { loaded.ask(titled(u"1"_s), {}); });
        ui.showPreferences();
        ui.whenLoaded([](UserInterface &loaded) { loaded.ask(titled(u"2"_s), {}); });
        std::thread([&ui] { ui.showHUD(u"/shots/b.png"_s, {}, {}, {}); }).join();
        ui.showPreferences();
        QVERIFY(!ui.loaded());
        gate.release();
        QTRY_COMPARE(settled.size(), 1);
        QCOMPARE(ui.loaded(), made);
        QVERIFY(loadedOn.load() != QThread::currentThread());
        ui.simulateCapture();
        ui.showHUD(u"/shots/c.png"_s, {}, {}, {});
        ui.whenLoaded([](UserInterface &loaded) { loaded.ask(titled(u"3"_s), {}); });
        QCOMPARE(made->calls,
                 QStringList({u"card /shots/b.png"_s, u"preferences"_s, u"ask 1"_s, u"ask 2"_s,
                              u"sample"_s, u"card /shots/c.png"_s, u"ask 3"_s}));
        QCOMPARE(loads.load(), 1);
    }

    // A module that cannot be had: one log line with the reason; cards are dropped and every
    // request for the preferences is reported, so that the tray can say so.
    void failureIsLoggedOnceAndReported_data()
    {
        QTest::addColumn<QByteArray>("content"); // of the module's file; none: no file
        QTest::addColumn<QString>("reason");     // part of the error reported
        QTest::newRow("missing") << QByteArray() << u"orvane-ui.so"_s;
        QTest::newRow("not a library") << QByteArray("not an ELF file\n") << u"orvane-ui.so"_s;
        QTest::newRow("makes nothing") << QByteArray() << u"the module made nothing"_s;
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
        const UserInterfaceLoader loader =
            reason.startsWith(u"orvane"_s) ? userInterfaceLoader(path) : [] {
                return UserInterfaceFactory{
                    +[](const UserInterfaceContext &) -> UserInterface * { return nullptr; }, {}};
            };
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
        QCOMPARE(failures, QStringList{unavailable.at(0).at(0).toString()});
        QVERIFY2(unavailable.at(0).at(0).toString().contains(reason),
                 qPrintable(unavailable.at(0).at(0).toString()));
        ui.showHUD(u"/shots/b.png"_s, {}, {}, {});
        ui.simulateCapture();
        ui.showPreferences();
        QCOMPARE(unavailable.size(), 2);
        QVERIFY(!ui.loaded());
        QCOMPARE(settled.size(), 1);
        QCOMPARE(log.lines().size(), 1);
        QVERIFY2(log.lines().at(0).startsWith(
                     u"[Orvane] The card and preferences could not be loaded: "_s) &&
                     log.lines().at(0).contains(reason),
                 qPrintable(log.lines().at(0)));
    }
};

QTEST_MAIN(TestLazyUserInterface)
#include "tst_lazyui.moc"
