// Copy & Save: the image to the clipboard, the file stays where it is.
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

namespace orvane {

void FloatingHUDView::handleCopyAndSave()
{
    m_services.platform->copyImageToClipboard(m_image);
    m_services.state->playFeedbackSound(QStringLiteral("Tink"));
    showFeedback(QStringLiteral("checkmark.circle.fill"), QStringLiteral("Copied & Saved!"));
    dismissLater();
}

} // namespace orvane
