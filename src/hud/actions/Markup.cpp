// Markup: the file opens in the application for annotating images.
#include "hud/FloatingHUDView.h"
#include "hud/actions/CardActions.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

namespace orvane {

const CardAction markupAction{
    .id = "markup",
    .symbol = "pencil.tip.crop.circle",
    .title = {"Markup", QT_TRANSLATE_NOOP("CardTexts", "Markup")},
    .detail = {QT_TRANSLATE_NOOP("macOS", "Annotate & Draw in Preview"),
               QT_TRANSLATE_NOOP("CardTexts", "Annotate & Draw in the Markup Application")},
    .run =
        [](FloatingHUDView &card, QWindow *, const QRectF &) {
            card.handleMarkup();
            return true;
        },
};

void FloatingHUDView::handleMarkup()
{
    if (!fileStillThere("notOpenedMissing", QStringLiteral("open for markup"))) {
        return;
    }
    m_services.platform->card().openForMarkup(
        m_filePath, m_services.state->markupApplication(),
        dismissOrReport("notOpenedNoViewer",
                        QStringLiteral("Could not open for markup, no application took it: ") +
                            fileName()));
}

} // namespace orvane
