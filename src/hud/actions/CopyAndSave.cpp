// Copy & Save: the image to the clipboard, the file stays where it is.
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

namespace orvane {

void FloatingHUDView::handleCopyAndSave()
{
    copyFromFile([](FloatingHUDView *card) {
        if (!card) {
            return;
        }
        card->m_services.state->playFeedbackSound(QStringLiteral("Tink"));
        card->showFeedback(QStringLiteral("checkmark.circle.fill"), card->text("copiedAndSaved"));
        card->dismissLater();
    });
}

} // namespace orvane
