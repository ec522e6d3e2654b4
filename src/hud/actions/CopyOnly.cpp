// Copy Only: the image to the clipboard, the file to the Trash (from where it can come back).
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

#include <QCoreApplication>

namespace orvane {

void FloatingHUDView::handleCopyOnly()
{
    // The file goes only once its picture is on the clipboard, even if the card has gone by then.
    copyFromFile([platform = m_services.platform, path = m_filePath](FloatingHUDView *card) {
        // The banner does not wait for the Trash; a refusal corrects it afterwards.
        trashFile(*platform, path, card, true);
        if (!card) {
            return;
        }
        card->m_services.state->playFeedbackSound(QStringLiteral("Tink"));
        card->showFeedback(QStringLiteral("trash.circle.fill"),
                           QCoreApplication::translate("CardTexts", "Copied & Discarded!"));
        card->dismissLater();
    });
}

} // namespace orvane
