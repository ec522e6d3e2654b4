// The card's actions on macOS: Preview and Finder through `open`, the Trash through Qt, the
// floating panel and the share picker through AppKit.
#include "platform/Files.h"
#include "platform/MacCommandLines.h"
#include "platform/ShellRunner.h"
#include "platform/TrashUndo.h"
#include "platform/macos/MacNative.h"
#include "platform/macos/MacPlatform.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QThreadPool>
#include <QUrl>
#include <QWindow>

namespace orvane {

void MacCardPlatformServices::prepareFloatingWindow(QWindow &window)
{
    window.setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                    Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    // Qt hides tool windows while the app is inactive, which an accessory app always is.
    window.setProperty("_q_macAlwaysShowToolWindow", true);
    window.create();
    macnative::configureFloatingPanel(macNativeView(window));
}

void MacCardPlatformServices::showFloatingWindow(QWindow &window)
{
    window.show();
    macnative::orderFrontRegardless(macNativeView(window));
}

void MacCardPlatformServices::copyImageToClipboard(const QImage &image, const QByteArray &)
{
    QGuiApplication::clipboard()->setImage(image);
}

void MacCardPlatformServices::copyFileToClipboard(const QString &path)
{
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    QGuiApplication::clipboard()->setMimeData(data);
}

void MacCardPlatformServices::moveToTrash(const QString &path, TrashFinished finished)
{
    QThreadPool::globalInstance()->start([path, finished = std::move(finished)] {
        // The item the move returned: where Undo finds the file. Finder keeps no record of
        // its own to remove.
        QString inTrash;
        std::optional<TrashedFile> trashed;
        if (QFile::moveToTrash(path, &inTrash)) {
            trashed = TrashedFile{path, inTrash, {}, files::fileIdentity(inTrash)};
        }
        if (finished) {
            finished(trashed);
        }
    });
}

namespace {

// User notifications (UNUserNotificationCenter) through MacNative.mm.
class MacNotifications : public ActionNotifications {
public:
    void notify(Notice notice, std::function<void(const QString &why)> unavailable) override
    {
        macnative::showNotification(notice.title, notice.body, notice.actionKey, notice.actionLabel,
                                    std::move(notice.act), std::move(unavailable));
    }
};

} // namespace

MacCardPlatformServices::MacCardPlatformServices() = default;
MacCardPlatformServices::~MacCardPlatformServices() = default;

void MacCardPlatformServices::offerUndo(const TrashedFile &trashed)
{
    if (!m_undo) {
        m_notifications = std::make_unique<MacNotifications>();
        m_undo = std::make_unique<TrashUndo>(*m_notifications);
    }
    m_undo->offer(trashed);
}

namespace {

// Runs an `open` line; `open` says through its exit status whether anything took the file.
// Off the main thread, like the Trash: `open` may wait for Preview or Finder to start.
void runOpen(const QString &line, std::function<void(bool)> finished)
{
    QThreadPool::globalInstance()->start([line, finished = std::move(finished)] {
        const bool opened = runShellCommand(line + QStringLiteral(" && printf ok")) == u"ok";
        if (finished) {
            finished(opened);
        }
    });
}

} // namespace

void MacCardPlatformServices::openForMarkup(const QString &path, const QString &,
                                            std::function<void(bool)> finished)
{
    runOpen(maccmd::openInPreview(path), std::move(finished));
}

MarkupApplications MacCardPlatformServices::markupApplications()
{
    return {.choices = {},
            .automatic = {QStringLiteral("com.apple.Preview"), QStringLiteral("Preview")}};
}

void MacCardPlatformServices::revealInFileManager(const QString &path,
                                                  std::function<void(bool)> finished)
{
    runOpen(maccmd::revealInFinder(path, QFileInfo::exists(path)), std::move(finished));
}

bool MacShareServices::showSharePicker(const QString &path, QWindow &window, const QRect &anchor)
{
    return macnative::showSharePicker(path, macNativeView(window), anchor);
}

} // namespace orvane
