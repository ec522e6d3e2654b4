#include "platform/macos/MacNative.h"

// Stands in for the Apple frameworks where they do not exist, so that the macOS behaviour
// (its command lines and files) can run and be tested elsewhere.
namespace orvane::macnative {

bool available()
{
    return false;
}

void setReopenHandler(std::function<void()>) {}

bool loginItemEnabled()
{
    return false;
}

std::optional<QString> registerLoginItem()
{
    return QStringLiteral("The login item service is not available on this system.");
}

std::optional<QString> unregisterLoginItem()
{
    return QStringLiteral("The login item service is not available on this system.");
}

std::unique_ptr<FolderEventStream> createFileEventStream(const QStringList &,
                                                         FolderEventStream::Handler)
{
    return nullptr;
}

bool playSound(const QString &)
{
    return false;
}

void setActivationPolicy(int) {}

void configureFloatingPanel(quintptr) {}

void orderFrontRegardless(quintptr) {}

bool showSharePicker(const QString &, quintptr, const QRect &)
{
    return false;
}
void stylePreferencesWindow(quintptr) {}

void activateApplication() {}

void showNotification(const QString &, const QString &, const QString &, const QString &,
                      std::function<void()>, std::function<void(const QString &why)> unavailable)
{
    unavailable(QStringLiteral("user notifications are not available on this system"));
}

} // namespace orvane::macnative
