// The card's actions on freedesktop systems: GIO for the Trash and for applications, the
// file manager's D-Bus interface for revealing a file.

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

#include "platform/linux/GioTrash.h"
#include "platform/linux/LinuxPlatform.h"

#include <xcb/xcb.h>

#include <memory>
#include <utility>

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <QWindow>

namespace orvane {

namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QByteArray contentTypeOf(const QString &path)
{
    gchar *type = g_content_type_guess(nativePath(path).constData(), nullptr, 0, nullptr);
    const QByteArray result(type);
    g_free(type);
    return result;
}

// Launches `app` (or, when null, the desktop's default application for the file) on one file.
bool launchOn(const QString &path, GAppInfo *app)
{
    GFile *file = g_file_new_for_path(nativePath(path).constData());
    GError *error = nullptr;
    bool launched = false;
    if (app) {
        GList files{file, nullptr, nullptr};
        launched = g_app_info_launch(app, &files, nullptr, &error);
    } else {
        gchar *uri = g_file_get_uri(file);
        launched = g_app_info_launch_default_for_uri(uri, nullptr, &error);
        g_free(uri);
    }
    g_clear_error(&error);
    g_object_unref(file);
    return launched;
}

// The desktop's default application for the file, else xdg-open; no shell in between, so
// every path reaches the application as it is. `finished` runs on the main thread.
void openWithDefault(const QString &path, std::function<void(bool)> finished)
{
    if (launchOn(path, nullptr)) {
        if (finished) {
            finished(true);
        }
        return;
    }
    // xdg-open knows desktops GIO does not. It says whether it worked when it ends, but on
    // some desktops it stays for as long as the application it started: still running after
    // a few seconds means an application has the file.
    auto *process = new QProcess;
    auto answered = std::make_shared<bool>(false);
    auto answer = [finished = std::move(finished), answered](bool opened) {
        if (!std::exchange(*answered, true) && finished) {
            finished(opened);
        }
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, answer](int code, QProcess::ExitStatus status) {
                         answer(status == QProcess::NormalExit && code == 0);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, answer](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             answer(false);
                             process->deleteLater();
                         }
                     });
    QTimer::singleShot(5000, process, [answer] { answer(true); });
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(QStringLiteral("xdg-open"), {path});
}

// Asks an X11 window manager to keep the window on every workspace: _NET_WM_DESKTOP of all
// ones set before the window is first mapped. Nothing to do elsewhere.
void showOnAllWorkspaces(QWindow &window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) {
        return;
    }
    xcb_connection_t *connection = x11->connection();
    static constexpr char name[] = "_NET_WM_DESKTOP";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
    if (!atom) {
        return;
    }
    window.create();
    const quint32 allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window.winId()), atom->atom, XCB_ATOM_CARDINAL,
                        32, 1, &allDesktops);
    xcb_flush(connection);
    free(atom);
}

} // namespace

void LinuxCardPlatformServices::prepareFloatingWindow(QWindow &window)
{
    // A tool window is kept off the task bar and the window switcher; without focus it never
    // takes the keyboard from the window the user is working in.
    window.setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                    Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    window.setProperty("_q_showWithoutActivating", true);
    showOnAllWorkspaces(window);
}

void LinuxCardPlatformServices::showFloatingWindow(QWindow &window)
{
    window.show();
}

void LinuxCardPlatformServices::copyImageToClipboard(const QImage &image)
{
    QGuiApplication::clipboard()->setImage(image);
}

void LinuxCardPlatformServices::copyFileToClipboard(const QString &path)
{
    const QUrl url = QUrl::fromLocalFile(path);
    auto *data = new QMimeData;
    data->setUrls({url});
    // File managers of GNOME and its relatives paste only this form as a file.
    data->setData(QStringLiteral("x-special/gnome-copied-files"),
                  QByteArrayLiteral("copy\n") + url.toEncoded());
    data->setText(path);
    QGuiApplication::clipboard()->setMimeData(data);
}

void LinuxCardPlatformServices::moveToTrash(const QString &path, std::function<void(bool)> finished)
{
    // A Trash on another volume means copying the whole file: never on the main thread.
    QThreadPool::globalInstance()->start([path, finished = std::move(finished)] {
        const bool trashed = !gio::trash(path);
        if (finished) {
            finished(trashed);
        }
    });
}

void LinuxCardPlatformServices::openForMarkup(const QString &path,
                                              std::function<void(bool)> finished)
{
    openWithDefault(path, std::move(finished));
}

void LinuxCardPlatformServices::revealInFileManager(const QString &path,
                                                    std::function<void(bool)> finished)
{
    const QString folder = QFileInfo(path).path();
    if (!QFileInfo::exists(path)) {
        // A folder that is gone too has nothing to show.
        if (!QFileInfo(folder).isDir()) {
            if (finished) {
                finished(false);
            }
            return;
        }
        openWithDefault(folder, std::move(finished));
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openWithDefault(folder, std::move(finished));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded())} << QString();
    // Asked without waiting: starting a file manager through D-Bus can take seconds.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, folder, finished = std::move(finished)] {
                         if (watcher->isError()) {
                             openWithDefault(folder, finished);
                         } else if (finished) {
                             finished(true);
                         }
                         watcher->deleteLater();
                     });
}

Result LinuxShareServices::emailFile(const QString &path)
{
    if (!QProcess::startDetached(QStringLiteral("xdg-email"), {QStringLiteral("--attach"), path})) {
        return Result::failed(QStringLiteral("xdg-email could not be started"));
    }
    return Result::done();
}

QList<FileApplication> LinuxShareServices::applicationsForFile(const QString &path)
{
    const QByteArray type = contentTypeOf(path);
    QList<FileApplication> result;
    GAppInfo *preferred = g_app_info_get_default_for_type(type.constData(), FALSE);
    if (preferred) {
        result.append({QString::fromUtf8(g_app_info_get_id(preferred)),
                       QString::fromUtf8(g_app_info_get_name(preferred))});
    }
    GList *all = g_app_info_get_all_for_type(type.constData());
    for (GList *item = all; item; item = item->next) {
        auto *app = static_cast<GAppInfo *>(item->data);
        if (!g_app_info_should_show(app) || (preferred && g_app_info_equal(app, preferred))) {
            continue;
        }
        result.append({QString::fromUtf8(g_app_info_get_id(app)),
                       QString::fromUtf8(g_app_info_get_name(app))});
    }
    g_list_free_full(all, g_object_unref);
    if (preferred) {
        g_object_unref(preferred);
    }
    return result;
}

Result LinuxShareServices::openFileWith(const QString &path, const QString &applicationId)
{
    GDesktopAppInfo *app = g_desktop_app_info_new(applicationId.toUtf8().constData());
    if (!app) {
        return Result::failed(QStringLiteral("no application %1").arg(applicationId));
    }
    const bool launched = launchOn(path, G_APP_INFO(app));
    g_object_unref(app);
    if (!launched) {
        return Result::failed(QStringLiteral("%1 could not be started").arg(applicationId));
    }
    return Result::done();
}

} // namespace orvane
