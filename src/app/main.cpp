#include "AppDelegate.h"
#include "ColorPalette.h"
#include "CommandLine.h"
#include "LazyUserInterface.h"
#include "LostDisplay.h"
#include "SingleInstance.h"

#include "detection/ScreenshotWatcher.h"
#include "menubar/MenuTexts.h"
#include "menubar/StatusBarController.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/PlatformFactory.h"
#include "platform/ProcessContext.h"
#include "platform/TerminationSignals.h"
#include "platform/Translations.h"
#include "settings/AppState.h"

#include <QApplication>
#include <QLocale>
#include <QSettings>
#include <QTimer>

#include <cstdio>

using namespace orvane;

int main(int argc, char *argv[])
{
    files::keepFreedMemoryUntilReleased();
    // Answered before any window system is touched, so they work anywhere.
    {
        QStringList arguments;
        for (int i = 0; i < argc; ++i) {
            arguments << QString::fromLocal8Bit(argv[i]);
        }
        const commandline::Answer reply =
            commandline::answer(arguments, QStringLiteral(ORVANE_VERSION));
        std::fputs(reply.text.toLocal8Bit().constData(), reply.onError ? stderr : stdout);
        if (reply.exit) {
            return reply.exitCode;
        }
    }
    // A typing error in the override must not quietly run the other system's behaviour.
    if (const std::optional<QString> why = unknownPlatformChoice()) {
        std::fputs(QString(QStringLiteral("orvane: ") + *why + u'\n').toLocal8Bit().constData(),
                   stderr);
        return 2;
    }
    if (const std::optional<QString> why = missingDisplay()) {
        std::fputs(QString(QStringLiteral("orvane: ") + *why + u'\n').toLocal8Bit().constData(),
                   stderr);
        return 1;
    }
    endPlainlyWhenTheDisplayIsLost();

    // Wayland lets no client place its own window; the floating card needs that, so Orvane
    // runs through XWayland whenever an X display is there.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    prepareApplicationEnvironment();
    // Qt Widgets: the tray (QSystemTrayIcon, its QMenu) and the desktop's own message boxes
    // and file dialogs.
    QApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Orvane"));
    QGuiApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    QGuiApplication::setOrganizationDomain(QStringLiteral("tarnwell.com"));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.tarnwell.orvane"));
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // Chosen by the user, or no XWayland: said once, rather than failing quietly later.
        logLine(QStringLiteral("On Wayland without XWayland the card cannot be placed in the "
                               "corner or kept above other windows; it opens where the "
                               "compositor puts it. Start Orvane with an X display "
                               "(QT_QPA_PLATFORM=xcb) to have both."));
    }
    // A tray utility: closing its last window must not end it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // Before any text is built: menus, cards and windows read theirs once, in this language.
    const Translations translations(QLocale::system().uiLanguages());

    const ProcessContext context = ProcessContext::current();
    const std::unique_ptr<Platform> platform = createPlatform(context);
    platform->windows().setActivationPolicyAccessory();

    const QStringList arguments = QGuiApplication::arguments();
    SingleInstance instance;
    if (platform->needsSingleInstanceGuard() && !instance.claim()) {
        // Already running: a plain start asks it for its preferences; a background start
        // (the login agent) has nothing to ask.
        if (!AppDelegate::hasBackgroundFlag(arguments)) {
            instance.sendReopen();
        }
        return 0;
    }

    // The preferences, the menus and the questions follow the desktop's light or dark, also
    // when it changes while Orvane runs; the card keeps its own dark look.
    platform->windows().watchColorScheme(
        [desktop = QGuiApplication::palette()](std::optional<bool> dark) {
            QGuiApplication::setPalette(dark ? colorscheme::paletteFor(*dark, desktop) : desktop);
        });
    // The rooms' main objects, made here on the main thread once the platform is known, and
    // handed to whoever needs them. They go in reverse order when main returns.
    AppState state(*platform, platform->openSettings());
    AppState::setQmlInstance(&state);
    // The card and the preferences, with Qt Quick, are loaded with the first card or window:
    // every detected screenshot goes to showHUD; "--simulate-capture" shows the sample card
    // once launched, as the preferences' preview button does.
    // The tray, made once launching has finished (steps.createStatusBar).
    std::unique_ptr<StatusBarController> statusBar;
    UserInterfaceContext uiContext{*platform, state, {}, {}};
    // The preferences ask their own confirmation, then run the same uninstall as the tray.
    uiContext.uninstall = [&platform, &state](bool programToTrash) {
        StatusBarController::performCleanUninstall(*platform, state, programToTrash,
                                                   &QCoreApplication::quit);
    };
    uiContext.cardsShowing = [&statusBar](bool showing) {
        if (statusBar) {
            statusBar->setCardShowing(showing);
        }
    };
    LazyUserInterface ui(userInterfaceLoader(userInterfaceModulePath()), uiContext);
    // Without its module Orvane still watches and copies; asked for its preferences, it says
    // why they are missing, as a notification: it has no window of its own to say it in.
    QObject::connect(
        &ui, &LazyUserInterface::preferencesUnavailable, &app, [&platform](const QString &error) {
            const QString title =
                QCoreApplication::translate("main", "The preferences could not be opened.");
            const QString text =
                QCoreApplication::translate("main",
                                            "Part of Orvane could not be loaded (%1). Reinstalling "
                                            "Orvane should repair it.")
                    .arg(error);
            if (const Result shown = platform->windows().showNotification(title, text);
                !shown.ok()) {
                logLine(title + u' ' + text);
            }
        });
    ScreenshotWatcher watcher(state, platform->detection(), platform->card());
    watcher.setPresenter(
        [&ui](const QString &path, const QImage &image, const QSize &points,
              const QByteArray &encoded) { ui.showHUD(path, image, points, encoded); });
    // A card is probably coming: load, and make ready what every card needs, during the
    // inspection's delay, not after it.
    watcher.setAnticipation(
        [&ui] { ui.whenLoaded([](UserInterface &ready) { ready.prepareCard(); }); });

    AppDelegate::Steps steps;
    // The tray (steps.createStatusBar):
    steps.createStatusBar = [&] {
        StatusBarController::Callbacks callbacks;
        callbacks.showPreferences = [&ui] { ui.showPreferences(); };
        // aboutToQuit runs the termination steps.
        callbacks.quit = &QCoreApplication::quit;
        // At login the panel may come up after Orvane: it is given time before the
        // preferences stand in for a missing tray.
        StatusBarController::Launch launch;
        launch.background = AppDelegate::hasBackgroundFlag(arguments);
        launch.watchTrayHosts = [&platform] { return createTrayHostWatch(platform->kind()); };
        statusBar = std::make_unique<StatusBarController>(state, *platform, std::move(callbacks),
                                                          std::move(launch));
        // The tray's questions are the desktop's own dialogs, shown by the executable itself.
        statusBar->setDialogs(MenuDialogs::standard(MenuTexts::forPlatform(platform->kind())));
    };
    // The watcher (steps.startWatcher, steps.stopWatcher), restarted by the settings' requests
    // in between:
    steps.startWatcher = [&watcher] { watcher.start(); };
    steps.stopWatcher = [&watcher] { watcher.stop(); };
    // The preferences window (steps.showPreferences):
    steps.showPreferences = [&ui] { ui.showPreferences(); };

    AppDelegate delegate(*platform, state, arguments, std::move(steps));

    QObject::connect(&instance, &SingleInstance::reopenRequested, &delegate,
                     [&delegate] { delegate.applicationShouldHandleReopen(false); });
    platform->setReopenHandler([&delegate] { delegate.applicationShouldHandleReopen(false); });

    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, &app,
                     &QCoreApplication::quit);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);

    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    if (arguments.contains(QStringLiteral("--simulate-capture"))) {
        QTimer::singleShot(0, &delegate, [&ui] { ui.simulateCapture(); });
    }
    return QApplication::exec();
}
