#include "dialogs/DialogWindows.h"

namespace orvane::dialogwindows {

void ask(const Alert &alert, QWindow *, std::function<void(int button)> done)
{
    done(alert.cancelButton);
}

void chooseFolder(const FolderRequest &, QWindow *, std::function<void(std::optional<QString>)> done)
{
    done(std::nullopt);
}

} // namespace orvane::dialogwindows
