#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace orvane::eventsounds {

// The freedesktop sound-theme event that stands in for a macOS system sound of that name.
std::optional<QString> eventFor(const QString &systemSoundName);

// Plays a sound-theme event through libcanberra. Silence (not an error) where no sound server
// or sound card exists.
// The library is closed again once no sound has been asked for a while.
void play(const QString &eventId);

bool isOpen();
void setKeepOpenFor(std::chrono::milliseconds time);

} // namespace orvane::eventsounds
