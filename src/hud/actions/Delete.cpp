// Delete: to the Trash, never removed outright.
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

namespace orvane {

void FloatingHUDView::handleDelete()
{
    trashFile(*m_services.platform, m_filePath, this, false);
    m_services.state->playFeedbackSound(QStringLiteral("Basso"));
    m_onDismiss();
}

} // namespace orvane
