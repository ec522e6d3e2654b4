// Markup: the file opens in the application for annotating images.
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"

namespace orvane {

void FloatingHUDView::handleMarkup()
{
    if (!fileStillThere("notOpenedMissing", QStringLiteral("open for markup"))) {
        return;
    }
    m_services.platform->card().openForMarkup(
        m_filePath, answerOnMainThread([onDismiss = m_onDismiss,
                                        name = fileName()](FloatingHUDView *card, bool opened) {
            if (opened) {
                onDismiss();
                return;
            }
            reportFailure(card, "notOpenedNoViewer",
                          QStringLiteral("Could not open for markup, no application took it: ") +
                              name);
        }));
}

} // namespace orvane
