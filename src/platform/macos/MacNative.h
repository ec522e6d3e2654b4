#pragma once

#include <QString>

#include <optional>

// The few calls that need Apple's frameworks. Built from Objective-C++ on macOS; elsewhere
// they answer as a system without those frameworks would.
namespace orvane::macnative {

bool available();
bool loginItemEnabled();
std::optional<QString> registerLoginItem();
std::optional<QString> unregisterLoginItem();
// Plays a system sound by name (NSSound); false when there is none.
bool playSound(const QString &name);
// 0: regular, 1: accessory.
void setActivationPolicy(int policy);

// --- The preferences window ---
// The window behind `nativeView` (an NSView): transparent, hidden title bar over full-size
// content, moved to the active space and part of the window cycle.
void stylePreferencesWindow(quintptr nativeView);
// activateIgnoringOtherApps:
void activateApplication();

} // namespace orvane::macnative
