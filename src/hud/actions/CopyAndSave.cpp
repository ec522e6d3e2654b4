// Copy & Save: the image to the clipboard, the file stays where it is.
#include "hud/FloatingHUDView.h"
#include "hud/actions/CardActions.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

namespace orvane {

const CardAction copyAndSaveAction{
    .id = "copyAndSave",
    .wide = true,
    .prominent = true,
    .symbol = "doc.on.doc.fill",
    .trailingSymbol = "checkmark",
    .title = {"Copy & Save", QT_TRANSLATE_NOOP("CardTexts", "Copy & Save")},
    .detail = {"Copies to clipboard & keeps file...",
               QT_TRANSLATE_NOOP("CardTexts", "Copies to clipboard & keeps file...")},
    .run =
        [](FloatingHUDView &card, QWindow *, const QRectF &) {
            card.handleCopyAndSave();
            return true;
        },
};

void FloatingHUDView::handleCopyAndSave()
{
    copyPicture([](FloatingHUDView *card) {
        if (!card) {
            return;
        }
        card->m_services.state->playFeedbackSound(QStringLiteral("Tink"));
        card->showFeedback(QStringLiteral("checkmark.circle.fill"), card->text("copiedAndSaved"));
        card->dismissLater();
    });
}

} // namespace orvane
