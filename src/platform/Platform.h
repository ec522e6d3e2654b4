#pragma once

#include "platform/Files.h"
#include "platform/FolderEventStream.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QSettings;
class QWindow;

namespace orvane {

// Which operating system's behaviour a Platform carries out.
enum class PlatformKind { Linux, MacOS };

// How the user's session left the entry that starts Orvane at login.
enum class LoginEntry {
    Unmanaged,   // the system keeps no such entry for its settings to switch off (macOS)
    Absent,      // none: never written, or removed
    Enabled,     // present and in use
    SwitchedOff, // hidden or switched off in the desktop's startup settings
};

// An application that can open a given file, as the desktop lists it.
struct FileApplication {
    QString id;
    QString name;
};

// Where Markup can open a screenshot: the applications the user may choose among, and the one
// used while the user has chosen none (or one no longer installed).
struct MarkupApplications {
    QList<FileApplication> choices; // by name; empty where the system decides alone (macOS)
    FileApplication automatic;      // its id empty when the desktop's default is used unnamed
};

// What a tray tells of its looks. Either colour is invalid where the tray does not say.
struct TrayLooks {
    QColor iconColor;  // the colour it asks its icons to be drawn in
    QColor panelColor; // the colour of the panel the icons sit on
};

// The seam between Orvane and the operating system: a few narrow interfaces, one per
// capability, and the Platform that holds one of each. Everything above it is portable; each
// operation here is done the way the running system expects it. Operations that can fail
// return a Result; questions answer with a std::optional (none: the system could not be asked)
// or an empty value; the card's slow operations hand whether they worked to `finished`.

// Screenshot detection: the system's screenshot folder, folder events and HEIC decoding.
class DetectionServices {
public:
    virtual ~DetectionServices() = default;

    // Where the system saves screenshots, as the system states it: untrimmed, possibly empty.
    // No answer when it could not be asked. On Linux, the folder the user set for the capture
    // tools (user-dirs.dirs, or a tool's own settings); none while only their defaults apply.
    virtual std::optional<QString> readSystemScreenshotLocation() = 0;
    // Every folder the desktop's capture tools save into, the likeliest first: the folders
    // their settings name, then the ones they save into by default. Each is meant to be watched
    // whether or not it exists yet. Empty where the system has the one location (macOS).
    virtual QStringList screenshotToolFolders() = 0;
    // Points the system's screenshots at `folder`, or back at the system default when there is
    // none (or it is empty). Blocks; called off the main thread.
    virtual void writeSystemScreenshotLocation(const std::optional<QString> &folder) = 0;
    // Gives the system's floating screenshot thumbnail back its default.
    virtual void resetScreenshotThumbnail() = 0;
    // A stream over `folders` whose batches go to `onBatch` on the main thread; none when the
    // system refused to create one.
    virtual std::unique_ptr<FolderEventStream>
    createFolderEventStream(const QStringList &folders, FolderEventStream::Handler onBatch) = 0;
    // Decodes a HEIC image, refusing one of more than `maxPixels`; a null image when it cannot.
    // Called off the main thread.
    virtual QImage decodeHeic(const QByteArray &data, qint64 maxPixels) = 0;
};

// Where the Trash keeps a file it took: what it takes to put the file back.
struct TrashedFile {
    QString originalPath;
    QString trashedPath; // the file inside the Trash; empty when the system did not say
    QString infoPath;    // the freedesktop Trash's record of it (.trashinfo); empty where none
    // The file itself, where known: after the Trash was emptied, another file trashed under
    // the same name must not come back in its place.
    std::optional<FileIdentity> identity = {};
};

// The card: its window, the clipboard and what its actions do with the file.
class CardPlatformServices {
public:
    virtual ~CardPlatformServices() = default;

    // Makes `window` a floating card before it is first shown: frameless, above other windows
    // (full-screen ones included), on every workspace, never taking the keyboard focus.
    virtual void prepareFloatingWindow(QWindow &window) = 0;
    // Shows it without activating Orvane, so the user's current window keeps the focus.
    virtual void showFloatingWindow(QWindow &window) = 0;
    // Asks the compositor to blur what lies behind the window (KWin); true when it will. Where
    // it will not, the card is drawn nearly opaque, so that nothing behind shows through its text.
    virtual bool blurBehind(QWindow &window)
    {
        Q_UNUSED(window);
        return false;
    }
    // The part of `screen` that panels, bars and docks leave free, as availableGeometry()
    // gives it where the window manager publishes a work area.
    virtual QRect workArea(QScreen &screen) { return screen.availableGeometry(); }
    // Replaces the clipboard's contents with the image alone (no file reference, no name).
    // `png`: the picture's own bytes where it came as a PNG, to be handed on as they are.
    virtual void copyImageToClipboard(const QImage &image, const QByteArray &png) = 0;
    // Puts a reference to the file on the clipboard, to paste it as a file elsewhere.
    virtual void copyFileToClipboard(const QString &path) = 0;
    // Moves the file into the user's Trash, from where it can be put back. Returns at once;
    // `finished` (may be empty) runs later, on another thread, with where the file went, or
    // nothing when it stayed.
    using TrashFinished = std::function<void(const std::optional<TrashedFile> &trashed)>;
    virtual void moveToTrash(const QString &path, TrashFinished finished) = 0;
    // After the card trashed a file: a notification says so and offers "Undo", which puts the
    // file back where it was (under a new name if that one was taken meanwhile; a failure is
    // notified too). Returns at once. Where the system shows no notifications with actions,
    // nothing is shown, and the log says so once.
    virtual void offerUndo(const TrashedFile &trashed) { Q_UNUSED(trashed); }
    // Opens the file in the application for annotating images: Preview on macOS; elsewhere
    // `applicationId` (the user's choice) when it is installed, else an installed annotator,
    // else the image viewer. `finished` (may be empty) runs later, on any thread, with whether
    // an application took it.
    virtual void openForMarkup(const QString &path, const QString &applicationId,
                               std::function<void(bool)> finished) = 0;
    // What openForMarkup can choose among, asked afresh: applications come and go.
    virtual MarkupApplications markupApplications() { return {}; }
    // Shows the file selected in the file manager; a file that is gone opens its folder.
    // `finished` as for openForMarkup.
    virtual void revealInFileManager(const QString &path, std::function<void(bool)> finished) = 0;
};

// The card's Share action.
class ShareServices {
public:
    virtual ~ShareServices() = default;

    // The system's own share picker for the file, beside `anchor` (window coordinates). False
    // where the system has none: the card then offers its own ways to share.
    virtual bool showSharePicker(const QString &path, QWindow &window, const QRect &anchor) = 0;
    // Starts a new e-mail with the file attached; fails when no mail program could start.
    virtual Result emailFile(const QString &path) = 0;
    // The applications that can open the file, the default one first.
    virtual QList<FileApplication> applicationsForFile(const QString &path) = 0;
    virtual Result openFileWith(const QString &path, const QString &applicationId) = 0;
};

// What the uninstall does with the program's own files, as its question tells the user:
// decided once as the question opens, so that its text and its button agree, and carried
// by that question to removeProgram().
struct ProgramRemovalPlan {
    // One sentence for the question: that they go to the Trash, or why they stay and how
    // to remove them instead (a packaged copy: with the package manager). Empty where the
    // question's own text says it all.
    QString note;
    // The question's button says the uninstall moves Orvane to the Trash only then.
    bool toTrash = false;
};

// Starting at login, and the uninstall of what Orvane put on the system.
class LoginServices {
public:
    virtual ~LoginServices() = default;

    // The per-user agent that starts Orvane in the background at login.
    virtual Result installLoginAgent() = 0;
    virtual void removeLoginAgent() = 0;
    // Stops the login agent in the running session, before its file is removed (macOS
    // launchd; nothing to stop elsewhere).
    virtual void unloadLoginAgent() = 0;

    // The login item: registered means the system starts Orvane at login.
    virtual bool isLoginItemEnabled() = 0;
    // The login entry as the desktop's own startup settings left it.
    virtual LoginEntry readLoginEntry() = 0;
    virtual Result registerLoginItem() = 0;
    virtual Result unregisterLoginItem() = 0;

    // The plan for an uninstall question opening now.
    virtual ProgramRemovalPlan programRemovalPlan() = 0;
    // Hands the program's own files over for removal, only where they are the user's to
    // remove: on macOS an .app bundle, which Finder moves to the Trash once Orvane has quit
    // (removed outright only if Finder fails); on Linux an AppImage or a binary under the home
    // folder, moved to the Trash at once and never deleted outright. `questionSaidTrash` is the
    // plan's toTrash as the user's question showed it: the removal never goes further, whatever
    // was learnt since (another question may say otherwise). Fails with why nothing was
    // removed, when nothing was.
    virtual Result removeProgram(bool questionSaidTrash) = 0;
    // Starts finding out, in the background, what the plan will be, so that a question asked
    // soon after says it without waiting (on Linux: which package, if any, installed the
    // program). Called as a menu or window that offers the uninstall opens.
    virtual void prepareProgramRemoval() {}
    // Why this copy of the program must not be started at login, when it must not: a build
    // in a developer's build folder would otherwise start at every login long after it was
    // tried once. Nothing for an installed copy.
    virtual std::optional<QString> loginEntryRefusal() { return std::nullopt; }
};

// The application's windows beside the card: the preferences window, the Dock, the tray.
class WindowServices {
public:
    virtual ~WindowServices() = default;

    // Accessory: no Dock icon; regular: an ordinary application while a window is open.
    virtual void setActivationPolicyAccessory() = 0;
    virtual void setActivationPolicyRegular() = 0;
    // Gives the preferences window its system look before it is first shown: on macOS a
    // transparent, hidden title bar over full-size content, shown on the active space.
    virtual void stylePreferencesWindow(QWindow &window) = 0;
    // Brings the application in front of the others, so that its window takes the focus.
    virtual void activateApplication() = 0;
    // Shows `folder` in the file manager (Finder on macOS); fails when it could not be asked.
    virtual Result openFolder(const QString &folder) = 0;
    // The looks of the tray that shows Orvane's icon, so that the icon can stand out on it.
    // Nothing where the system tints the icon itself (the macOS menu bar).
    virtual TrayLooks trayLooks() = 0;
    // The desktop's choice between light and dark, at once and whenever it changes: `changed`
    // runs on the main thread with true for dark, false for light, nothing for no preference.
    // Where the system tells nothing, it never runs.
    virtual void watchColorScheme(std::function<void(std::optional<bool> dark)> changed)
    {
        Q_UNUSED(changed);
    }
    // A passing notice from the system's notification service, for what Orvane cannot say in
    // a window of its own; fails where there is no such service.
    virtual Result showNotification(const QString &title, const QString &text)
    {
        Q_UNUSED(title);
        Q_UNUSED(text);
        return Result::unsupported();
    }
};

class SoundServices {
public:
    virtual ~SoundServices() = default;

    // Plays the system sound of that name; fails when the system has no such sound.
    virtual Result playSystemSound(const QString &name) = 0;
};

// One of each service for the running system, and the few things of the whole process. Made
// once in main and handed to whoever needs it; each caller takes what it uses.
class Platform {
public:
    struct Services {
        DetectionServices &detection;
        CardPlatformServices &card;
        ShareServices &share;
        LoginServices &login;
        WindowServices &windows;
        SoundServices &sounds;
    };

    virtual ~Platform() = default;
    Platform(const Platform &) = delete;
    Platform &operator=(const Platform &) = delete;

    virtual PlatformKind kind() const = 0;
    // The store behind the user's settings (the app's user defaults on macOS, an INI file
    // under the user's configuration folder elsewhere).
    virtual std::unique_ptr<QSettings> openSettings() const = 0;
    // Whether a second start must be forwarded to the running process by Orvane itself
    // (macOS does this through its own reopen callback).
    virtual bool needsSingleInstanceGuard() const = 0;
    // Where the system itself tells a running program that the user opened it again (macOS),
    // `handler` runs each time. Call once the application object exists.
    virtual void setReopenHandler(std::function<void()> handler) = 0;

    DetectionServices &detection() const { return m_services.detection; }
    CardPlatformServices &card() const { return m_services.card; }
    ShareServices &share() const { return m_services.share; }
    LoginServices &login() const { return m_services.login; }
    WindowServices &windows() const { return m_services.windows; }
    SoundServices &sounds() const { return m_services.sounds; }

protected:
    explicit Platform(Services services) : m_services(services) {}

private:
    Services m_services;
};

} // namespace orvane
