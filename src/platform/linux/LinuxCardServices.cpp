// The card's actions on freedesktop systems: GIO for the Trash and for applications, the
// file manager's D-Bus interface for revealing a file.

#include "platform/linux/GioLibrary.h"

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

QByteArray contentTypeOf(const gio::Functions &gio, const QString &path)
{
    gchar *type = gio.contentTypeGuess(nativePath(path).constData(), nullptr, 0, nullptr);
    const QByteArray result(type);
    g_free(type);
    return result;
}

// Launches `app` (or, when null, the desktop's default application for the file) on one file.
bool launchOn(const gio::Functions &gio, const QString &path, GAppInfo *app)
{
    GFile *file = gio.fileNewForPath(nativePath(path).constData());
    GError *error = nullptr;
    bool launched = false;
    if (app) {
        GList files{file, nullptr, nullptr};
        launched = gio.appInfoLaunch(app, &files, nullptr, &error);
    } else {
        gchar *uri = gio.fileGetUri(file);
        launched = gio.appInfoLaunchDefaultForUri(uri, nullptr, &error);
        g_free(uri);
    }
    g_clear_error(&error);
    gio.objectUnref(file);
    return launched;
}

// The desktop's default application for the file, else xdg-open; no shell in between, so
// every path reaches the application as it is. `finished` runs on the main thread.
void openWithDefault(const QString &path, std::function<void(bool)> finished)
{
    // Without GIO, xdg-open alone.
    if (const gio::Functions *gio = gio::functions(); gio && launchOn(*gio, path, nullptr)) {
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
    QList<FileApplication> result;
    const gio::Functions *gio = gio::functions();
    if (!gio) {
        return result;
    }
    const QByteArray type = contentTypeOf(*gio, path);
    GAppInfo *preferred = gio->appInfoGetDefaultForType(type.constData(), FALSE);
    if (preferred) {
        result.append({QString::fromUtf8(gio->appInfoGetId(preferred)),
                       QString::fromUtf8(gio->appInfoGetName(preferred))});
    }
    GList *all = gio->appInfoGetAllForType(type.constData());
    for (GList *item = all; item; item = item->next) {
        auto *app = static_cast<GAppInfo *>(item->data);
        if (!gio->appInfoShouldShow(app) || (preferred && gio->appInfoEqual(app, preferred))) {
            continue;
        }
        result.append({QString::fromUtf8(gio->appInfoGetId(app)),
                       QString::fromUtf8(gio->appInfoGetName(app))});
    }
    g_list_free_full(all, gio->objectUnref);
    if (preferred) {
        gio->objectUnref(preferred);
    }
    return result;
}

Result LinuxShareServices::openFileWith(const QString &path, const QString &applicationId)
{
    const gio::Functions *gio = gio::functions();
    if (!gio) {
        return Result::failed(gio::unavailableReason());
    }
    GDesktopAppInfo *app = gio->desktopAppInfoNew(applicationId.toUtf8().constData());
    if (!app) {
        return Result::failed(QStringLiteral("no application %1").arg(applicationId));
    }
    // A plain cast: G_APP_INFO's type check would call into GObject through the linker.
    const bool launched = launchOn(*gio, path, reinterpret_cast<GAppInfo *>(app));
    gio->objectUnref(app);
    if (!launched) {
        return Result::failed(QStringLiteral("%1 could not be started").arg(applicationId));
    }
    return Result::done();
}

} // namespace orvane
