// Finder: the file shown in the file manager, or its folder once the file has gone.
#include "hud/FloatingHUDView.h"
#include "hud/actions/CardActions.h"
#include "platform/Platform.h"

#include <QFileInfo>

namespace orvane {

const CardAction revealInFinderAction{
    .id = "revealInFinder",
    .symbol = "folder",
    .title = {QT_TRANSLATE_NOOP("macOS", "Finder"), QT_TRANSLATE_NOOP("CardTexts", "Files")},
    .detail = {QT_TRANSLATE_NOOP("macOS", "Show in Finder"),
               QT_TRANSLATE_NOOP("CardTexts", "Show in the File Manager")},
    .run =
        [](FloatingHUDView &card, QWindow *, const QRectF &) {
            card.handleRevealInFinder();
            return true;
        },
};

void FloatingHUDView::handleRevealInFinder()
{
    const QFileInfo file(m_filePath);
    if (!file.exists() && !QFileInfo(file.path()).isDir()) {
        reportFailure(this, "notShownMissing",
                      QStringLiteral("Could not show in the file manager, the folder is gone: ") +
                          file.path());
        return;
    }
    m_services.platform->card().revealInFileManager(
        m_filePath,
        dismissOrReport("notShownNoFileManager",
                        QStringLiteral("Could not show in the file manager: ") + fileName()));
}

} // namespace orvane
