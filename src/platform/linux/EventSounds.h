#pragma once

#include <QString>

#include <optional>

namespace orvane::eventsounds {

// The freedesktop sound-theme event that stands in for a macOS system sound of that name.
std::optional<QString> eventFor(const QString &systemSoundName);

// Plays a sound-theme event through libcanberra. Silence (not an error) where no sound server
// or sound card exists.
void play(const QString &eventId);

} // namespace orvane::eventsounds
