// Copy Only: the image to the clipboard, the file to the Trash (from where it can come back).
#include "hud/FloatingHUDView.h"
#include "hud/actions/CardActions.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

#include <QFileInfo>

namespace orvane {

const CardAction copyOnlyAction{
    .id = "copyOnly",
    .wide = true,
    .symbol = "doc.on.doc",
    .trailingSymbol = "trash",
    .title = {"Copy Only", QT_TRANSLATE_NOOP("CardTexts", "Copy Only")},
    .detail = {"Copies to clipboard & trashes file",
               QT_TRANSLATE_NOOP("CardTexts", "Copies to clipboard & trashes file")},
    .run =
        [](FloatingHUDView &card, QWindow *, const QRectF &) {
            card.handleCopyOnly();
            return true;
        },
};

void FloatingHUDView::handleCopyOnly()
{
    // The file goes only once its picture is on the clipboard, even if the card has gone by then.
    copyPicture([services = m_services, path = m_filePath](FloatingHUDView *card) {
        // The banner does not wait for the Trash; a refusal corrects it afterwards.
        moveToTrash(services, card, path,
                    [name = QFileInfo(path).fileName()](FloatingHUDView *current, bool trashed) {
                        if (!trashed) {
                            reportFailure(current, "copiedNotTrashed",
                                          QStringLiteral("Could not move to the Trash: ") + name);
                        }
                    });
        if (!card) {
            return;
        }
        card->m_services.state->playFeedbackSound(QStringLiteral("Tink"));
        card->showFeedback(QStringLiteral("trash.circle.fill"), card->text("copiedAndDiscarded"));
        card->dismissLater();
    });
}

} // namespace orvane
