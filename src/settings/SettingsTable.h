#pragma once

#include <QtGlobal>

#include <algorithm>
#include <array>

// Every stored setting in one place: its key, the value it has while none (or a bad one) is
// stored, and the values it may take. The tray, the preferences and AppState all read them here.
namespace orvane {

namespace keys {
inline constexpr auto autoCopyOnCapture = "orvane_autoCopyOnCapture";
inline constexpr auto playSound = "orvane_playSound";
inline constexpr auto autoDismissSeconds = "orvane_autoDismissSeconds";
inline constexpr auto customFolderPath = "orvane_customFolderPath";
inline constexpr auto launchAtLogin = "orvane_launchAtLogin";
inline constexpr auto offerUndoAfterTrash = "orvane_offerUndoAfterTrash";
// The system's screenshot folder that "Reset" turned down: not taken on again at launch. On
// Linux nothing is written to the capture tools, so their folder would come back otherwise.
inline constexpr auto declinedSystemLocation = "orvane_declinedSystemLocation";
// The desktop entry Markup opens screenshots in (Linux); none: chosen by Orvane.
inline constexpr auto markupApplication = "orvane_markupApplication";
} // namespace keys

namespace defaults {
inline constexpr bool autoCopyOnCapture = false;
inline constexpr bool playSound = true;
inline constexpr qint64 autoDismissSeconds = 7;
inline constexpr bool offerUndoAfterTrash = true;
// No custom folder: the system's screenshot location, or the desktop tools'.
} // namespace defaults

// The card's auto-dismiss times on offer, shortest first; no other is taken from the store.
inline constexpr std::array<qint64, 3> autoDismissChoices{4, 7, 12};
static_assert(std::ranges::find(autoDismissChoices, defaults::autoDismissSeconds) !=
              autoDismissChoices.end());

} // namespace orvane
