// The card's actions on freedesktop systems: GIO for the Trash and for applications, the
// file manager's D-Bus interface for revealing a file.

#include "platform/linux/GioLibrary.h"

#include "platform/Log.h"
#include "platform/TrashUndo.h"
#include "platform/WorkArea.h"
#include "platform/linux/DesktopNotifications.h"
#include "platform/linux/GioTrash.h"
#include "platform/linux/LaunchFile.h"
#include "platform/linux/LinuxPlatform.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
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

namespace launchfile {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

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

// No shell in between, so every path reaches the application as it is.
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

} // namespace launchfile

namespace {

using launchfile::launchOn;
using launchfile::nativePath;
using launchfile::openWithDefault;

QByteArray contentTypeOf(const gio::Functions &gio, const QString &path)
{
    gchar *type = gio.contentTypeGuess(nativePath(path).constData(), nullptr, 0, nullptr);
    const QByteArray result(type);
    g_free(type);
    return result;
}

// Qt's own connection to the X server; none on Wayland or without a display.
xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// A window's CARDINAL property of `count` values, or none when it has no such property.
QList<quint32> cardinals(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                         int count)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, property, XCB_ATOM_CARDINAL, 0, uint32_t(count)),
        nullptr);
    QList<quint32> values;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_CARDINAL &&
        xcb_get_property_value_length(reply) >= count * 4) {
        const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply));
        values = QList<quint32>(data, data + count);
    }
    std::free(reply);
    return values;
}

QList<xcb_window_t> children(xcb_connection_t *connection, xcb_window_t window)
{
    xcb_query_tree_reply_t *reply =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    QList<xcb_window_t> found;
    if (reply) {
        const xcb_window_t *list = xcb_query_tree_children(reply);
        found = QList<xcb_window_t>(list, list + xcb_query_tree_children_length(reply));
    }
    std::free(reply);
    return found;
}

// Asks an X11 window manager to keep the window on every workspace, the one in use included:
// _NET_WM_STATE_STICKY in the initial state, which every EWMH window manager reads at the map.
// (_NET_WM_DESKTOP set to "all" before the map is read by xfwm4 as its last workspace.) Qt
// merges its own states into the property rather than replacing it. Nothing to do elsewhere.
void showOnAllWorkspaces(QWindow &window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection) {
        return;
    }
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t sticky = internAtom(connection, "_NET_WM_STATE_STICKY");
    if (state == XCB_ATOM_NONE || sticky == XCB_ATOM_NONE) {
        return;
    }
    window.create();
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(window.winId()),
                        state, XCB_ATOM_ATOM, 32, 1, &sticky);
    xcb_flush(connection);
}

// The other EWMH way, for window managers that know no sticky state (openbox): once mapped, a
// request to the window manager to move the window to "all workspaces". Sent on Qt's own
// connection, it reaches the window manager after the map request it follows.
void askForAllWorkspaces(QWindow &window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection) {
        return;
    }
    const xcb_atom_t desktop = internAtom(connection, "_NET_WM_DESKTOP");
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (desktop == XCB_ATOM_NONE || !screen) {
        return;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window.winId());
    message.type = desktop;
    message.data.data32[0] = 0xFFFFFFFF; // all workspaces
    message.data.data32[1] = 1;          // asked by an ordinary application
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
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
    askForAllWorkspaces(window);
}

bool LinuxCardPlatformServices::blurBehind(QWindow &window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection) {
        return false;
    }
    const xcb_screen_t *root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t blur = internAtom(connection, "_KDE_NET_WM_BLUR_BEHIND_REGION");
    if (!root || blur == XCB_ATOM_NONE) {
        return false;
    }
    // KWin's blur effect announces itself with that property on the root window, while it
    // is on; an empty region on a window then means all of it.
    xcb_get_property_reply_t *announced = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root->root, blur, XCB_ATOM_ANY, 0, 0), nullptr);
    const bool offered = announced && announced->type != XCB_ATOM_NONE;
    std::free(announced);
    if (!offered) {
        return false;
    }
    window.create();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window.winId()), blur, XCB_ATOM_CARDINAL, 32, 0,
                        nullptr);
    xcb_flush(connection);
    return true;
}

QRect LinuxCardPlatformServices::workArea(QScreen &screen)
{
    const QRect available = screen.availableGeometry();
    xcb_connection_t *connection = x11Connection();
    if (!connection) {
        return available;
    }
    const xcb_screen_t *root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_atom_t workArea = internAtom(connection, "_NET_WORKAREA");
    const xcb_atom_t strutPartial = internAtom(connection, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t strut = internAtom(connection, "_NET_WM_STRUT");
    if (!root || workArea == XCB_ATOM_NONE || strutPartial == XCB_ATOM_NONE) {
        return available;
    }
    // A window manager that publishes its work area has taken the struts into it already.
    if (!cardinals(connection, root->root, workArea, 4).isEmpty()) {
        return available;
    }
    // Else (i3) the bars and docks say what they reserve themselves: top-level windows, or
    // one level down where the window manager puts them in frames of its own.
    QList<workarea::Strut> struts;
    const QSize rootSize(root->width_in_pixels, root->height_in_pixels);
    const auto collect = [&](xcb_window_t window) {
        QList<quint32> values = cardinals(connection, window, strutPartial, 12);
        if (values.isEmpty() && strut != XCB_ATOM_NONE) {
            values = cardinals(connection, window, strut, 4);
        }
        struts += workarea::strutsFrom(values, rootSize);
    };
    for (const xcb_window_t top : children(connection, root->root)) {
        collect(top);
        for (const xcb_window_t inner : children(connection, top)) {
            collect(inner);
        }
    }
    if (struts.isEmpty()) {
        return available;
    }
    // Struts are in the X screen's pixels; Qt keeps a screen's origin and scales from it.
    const qreal ratio = screen.devicePixelRatio();
    const QRect logical = screen.geometry();
    const QRect native(logical.topLeft(), logical.size() * ratio);
    const QRect free = workarea::freeArea(native, rootSize, struts);
    return QRect(logical.topLeft() + (free.topLeft() - native.topLeft()) / ratio,
                 free.size() / ratio)
        .intersected(available);
}

void LinuxCardPlatformServices::copyImageToClipboard(const QImage &image, const QByteArray &png)
{
    if (png.isEmpty()) {
        QGuiApplication::clipboard()->setImage(image);
        return;
    }
    // The file's own bytes. Given the picture, Qt would keep it decoded (8 MB for a 1080p
    // screen) and encode it again at every paste, on the main thread (half a second for a
    // detailed one), after loading every image plugin to choose an encoder.
    auto *data = new QMimeData;
    data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data);
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

LinuxCardPlatformServices::LinuxCardPlatformServices() = default;
LinuxCardPlatformServices::~LinuxCardPlatformServices() = default;

void LinuxCardPlatformServices::moveToTrash(const QString &path, TrashFinished finished)
{
    // A Trash on another volume means copying the whole file: never on the main thread.
    QThreadPool::globalInstance()->start([path, finished = std::move(finished)] {
        QString reason;
        const std::optional<TrashedFile> trashed = gio::trashAndLocate(path, &reason);
        if (finished) {
            finished(trashed);
        }
    });
}

void LinuxCardPlatformServices::offerUndo(const TrashedFile &trashed)
{
    if (!m_undo) {
        m_notifications = std::make_unique<DesktopNotifications>();
        m_undo = std::make_unique<TrashUndo>(*m_notifications);
    }
    m_undo->offer(trashed);
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
