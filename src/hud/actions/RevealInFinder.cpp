// Finder: the file shown in the file manager, or its folder once the file has gone.
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"

namespace orvane {

void FloatingHUDView::handleRevealInFinder()
{
    m_services.platform->revealInFileManager(m_filePath);
    m_onDismiss();
}

} // namespace orvane
