// Copy Only: the image to the clipboard, the file to the Trash (from where it can come back).
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

namespace orvane {

void FloatingHUDView::handleCopyOnly()
{
    m_services.platform->copyImageToClipboard(m_image);
    // The banner does not wait for the Trash; a refusal corrects it afterwards.
    trashFile(true);
    m_services.state->playFeedbackSound(QStringLiteral("Tink"));
    showFeedback(QStringLiteral("trash.circle.fill"), QStringLiteral("Copied & Discarded!"));
    dismissLater();
}

} // namespace orvane
