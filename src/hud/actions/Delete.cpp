// Delete: to the Trash, never removed outright.
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

namespace orvane {

void FloatingHUDView::handleDelete()
{
    m_services.platform->moveToTrash(m_filePath, {});
    m_services.state->playFeedbackSound(QStringLiteral("Basso"));
    m_onDismiss();
}

} // namespace orvane
