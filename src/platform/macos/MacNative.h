#pragma once

#include "platform/FolderEventStream.h"

#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The few calls that need Apple's frameworks. Built from Objective-C++ on macOS; elsewhere
// they answer as a system without those frameworks would.
namespace orvane::macnative {

bool available();
// Runs `handler` whenever the application delegate is asked to handle a reopen.
void setReopenHandler(std::function<void()> handler);
bool loginItemEnabled();
std::optional<QString> registerLoginItem();
std::optional<QString> unregisterLoginItem();
// FSEvents over `folders`; none when the system refused to create the stream.
std::unique_ptr<FolderEventStream> createFileEventStream(const QStringList &folders,
                                                         FolderEventStream::Handler onBatch);
// Plays a system sound by name (NSSound); false when there is none.
bool playSound(const QString &name);
// 0: regular, 1: accessory.
void setActivationPolicy(int policy);

// The card's panel (`view` is the NSView of a Qt tool window): non-activating, at the
// screen-saver level, on every Space, beside full-screen windows, movable by its body.
void configureFloatingPanel(quintptr view);
void orderFrontRegardless(quintptr view);
// The system's share picker for one file, beside `anchor` (in the view's Qt coordinates).
bool showSharePicker(const QString &path, quintptr view, const QRect &anchor);
// --- The preferences window ---
// The window behind `nativeView` (an NSView): transparent, hidden title bar over full-size
// content, moved to the active space and part of the window cycle.
void stylePreferencesWindow(quintptr nativeView);
// activateIgnoringOtherApps:
void activateApplication();
// A user notification with at most one action (none when `actionLabel` is empty); `act` runs
// on the main thread when the user picks it. Where the user or the system does not allow
// Orvane's notifications, `unavailable` runs on the main thread with why, and nothing shows.
void showNotification(const QString &title, const QString &body, const QString &actionKey,
                      const QString &actionLabel, std::function<void()> act,
                      std::function<void(const QString &why)> unavailable);

} // namespace orvane::macnative
