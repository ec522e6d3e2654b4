// Markup: the file opens in the application for annotating images.
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"

namespace orvane {

void FloatingHUDView::handleMarkup()
{
    m_services.platform->openForMarkup(m_filePath);
    m_onDismiss();
}

} // namespace orvane
