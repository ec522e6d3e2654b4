#pragma once

#include "dialogs/Alert.h"

#include <QString>

#include <functional>
#include <optional>

class QWindow;

namespace orvane::dialogwindows {

// The module's windows for the tray's and the preferences' questions, in Qt Quick. Each
// returns at once and answers through `done`, once, on the main thread; other windows keep
// working meanwhile (modal to `parent` only, when one is given).

// `done` gets the index of the button chosen; Escape and closing the window choose
// `alert.cancelButton`.
void ask(const Alert &alert, QWindow *parent, std::function<void(int button)> done);

// The folder the user picked, or nothing when they cancelled. The platform's own chooser
// where it has one, else Qt Quick's.
void chooseFolder(const FolderRequest &request, QWindow *parent,
                  std::function<void(std::optional<QString>)> done);

} // namespace orvane::dialogwindows
