#include "AppDelegate.h"
#include "CommandLine.h"
#include "LazyUserInterface.h"
#include "SingleInstance.h"

#include "detection/ScreenshotWatcher.h"
#include "menubar/MenuTexts.h"
#include "menubar/StatusBarController.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/PlatformFactory.h"
#include "platform/ProcessContext.h"
#include "platform/TerminationSignals.h"
#include "platform/Translations.h"
#include "settings/AppState.h"

#include <QGuiApplication>
#include <QLocale>
#include <QSettings>
#include <QTimer>

#include <cstdio>

using namespace orvane;

int main(int argc, char *argv[])
{
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

    // Wayland lets no client place its own window; the floating card needs that, so Orvane
    // runs through XWayland whenever an X display is there.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    prepareApplicationEnvironment();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Orvane"));
    QGuiApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    QGuiApplication::setOrganizationDomain(QStringLiteral("tarnwell.com"));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.tarnwell.orvane"));
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

    // The rooms' main objects, made here on the main thread once the platform is known, and
    // handed to whoever needs them. They go in reverse order when main returns.
    AppState state(*platform, platform->openSettings());
    AppState::setQmlInstance(&state);
    // The card and the preferences, with Qt Quick, are loaded with the first card or window:
    // every detected screenshot goes to showHUD; "--simulate-capture" shows the sample card
    // once launched, as the preferences' preview button does.
    LazyUserInterface ui(userInterfaceLoader(userInterfaceModulePath()),
                         {*platform, state, [&platform, &state] {
                              // The preferences ask their own confirmation, then run the same
                              // uninstall as the tray.
                              StatusBarController::performCleanUninstall(*platform, state,
                                                                         &QCoreApplication::quit);
                          }});
    // Without its module Orvane still watches and copies; asked for its windows, it says why
    // they are missing, as a notification: it has no window of its own to say it in.
    const auto explainMissingWindows = [&platform](const QString &error, bool preferences) {
        const QString title =
            preferences
                ? QCoreApplication::translate("main", "The preferences could not be opened.")
                : QCoreApplication::translate("main", "Orvane's menu and windows could not be "
                                                      "opened.");
        const QString text = QCoreApplication::translate(
                                 "main", "Part of Orvane could not be loaded (%1). Reinstalling "
                                         "Orvane should repair it.")
                                 .arg(error);
        if (const Result shown = platform->windows().showNotification(title, text); !shown.ok()) {
            logLine(title + u' ' + text);
        }
    };
    QObject::connect(
        &ui, &LazyUserInterface::preferencesUnavailable, &app,
        [explainMissingWindows](const QString &error) { explainMissingWindows(error, true); });
    const auto explainMissingMenu = [explainMissingWindows](const QString &error) {
        explainMissingWindows(error, false);
    };
    ScreenshotWatcher watcher(state, platform->detection(), platform->card());
    watcher.setPresenter(
        [&ui](const QString &path, const QImage &image, const QSize &points,
              const QByteArray &encoded) { ui.showHUD(path, image, points, encoded); });
    // A card is probably coming: load during the inspection's delay, not after it.
    watcher.setAnticipation([&ui] { ui.load(); });

    AppDelegate::Steps steps;
    // The tray (steps.createStatusBar):
    std::unique_ptr<StatusBarController> statusBar;
    steps.createStatusBar = [&] {
        StatusBarController::Callbacks callbacks;
        callbacks.showPreferences = [&ui] { ui.showPreferences(); };
        // aboutToQuit runs the termination steps.
        callbacks.quit = &QCoreApplication::quit;
        callbacks.popUpMenu =
            [&ui, explainMissingMenu](const QList<MenuEntry> &entries, const QPoint &at,
                                      std::function<void(const MenuEntry &)> chosen) {
                ui.whenLoaded([entries, at, chosen = std::move(chosen)](
                                  UserInterface &loaded) { loaded.popUpMenu(entries, at, chosen); },
                              explainMissingMenu);
            };
        statusBar = std::make_unique<StatusBarController>(state, *platform, std::move(callbacks));
        MenuDialogs::Asker asker;
        asker.ask = [&ui, explainMissingMenu](const Alert &alert, std::function<void(int)> done) {
            ui.whenLoaded([alert, done](UserInterface &loaded) { loaded.ask(alert, done); },
                          [alert, done, explainMissingMenu](const QString &error) {
                              explainMissingMenu(error);
                              done(alert.cancelButton);
                          });
        };
        asker.chooseFolder =
            [&ui, explainMissingMenu](const FolderRequest &request,
                                      std::function<void(std::optional<QString>)> done) {
                ui.whenLoaded(
                    [request, done](UserInterface &loaded) { loaded.chooseFolder(request, done); },
                    [done, explainMissingMenu](const QString &error) {
                        explainMissingMenu(error);
                        done(std::nullopt);
                    });
            };
        statusBar->setDialogs(MenuDialogs::standard(
            MenuTexts::forPlatform(platform->kind()),
            [&platform] { return platform->login().programRemovalNote(); }, std::move(asker)));
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
    return QGuiApplication::exec();
}
