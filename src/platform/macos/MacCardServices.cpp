// The card's actions on macOS: Preview and Finder through `open`, the Trash through Qt, the
// floating panel and the share picker through AppKit.
#include "platform/MacCommandLines.h"
#include "platform/ShellRunner.h"
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

void MacPlatform::prepareFloatingWindow(QWindow &window)
{
    window.setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                    Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    // Qt hides tool windows while the app is inactive, which an accessory app always is.
    window.setProperty("_q_macAlwaysShowToolWindow", true);
    window.create();
    macnative::configureFloatingPanel(nativeView(window));
}

void MacPlatform::showFloatingWindow(QWindow &window)
{
    window.show();
    macnative::orderFrontRegardless(nativeView(window));
}

void MacPlatform::copyImageToClipboard(const QImage &image)
{
    QGuiApplication::clipboard()->setImage(image);
}

void MacPlatform::copyFileToClipboard(const QString &path)
{
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    QGuiApplication::clipboard()->setMimeData(data);
}

void MacPlatform::moveToTrash(const QString &path, std::function<void(bool)> finished)
{
    QThreadPool::globalInstance()->start([path, finished = std::move(finished)] {
        const bool trashed = QFile::moveToTrash(path);
        if (finished) {
            finished(trashed);
        }
    });
}

namespace {

// Runs an `open` line; `open` says through its exit status whether anything took the file.
void runOpen(const QString &line, const std::function<void(bool)> &finished)
{
    const bool opened = runShellCommand(line + QStringLiteral(" && printf ok")) == u"ok";
    if (finished) {
        finished(opened);
    }
}

} // namespace

void MacPlatform::openForMarkup(const QString &path, std::function<void(bool)> finished)
{
    runOpen(maccmd::openInPreview(path), finished);
}

void MacPlatform::revealInFileManager(const QString &path, std::function<void(bool)> finished)
{
    runOpen(maccmd::revealInFinder(path, QFileInfo::exists(path)), finished);
}

bool MacPlatform::showSharePicker(const QString &path, QWindow &window, const QRect &anchor)
{
    return macnative::showSharePicker(path, nativeView(window), anchor);
}

bool MacPlatform::emailFile(const QString &)
{
    return false;
}

QList<FileApplication> MacPlatform::applicationsForFile(const QString &)
{
    return {};
}

bool MacPlatform::openFileWith(const QString &, const QString &)
{
    return false;
}

} // namespace orvane
