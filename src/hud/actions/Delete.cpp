// Delete: to the Trash, never removed outright. The card ends once the Trash has taken the
// file; a refusal is said on the card instead, without the sound of a deletion.
#include "hud/FloatingHUDView.h"
#include "hud/actions/CardActions.h"
#include "platform/Platform.h"
#include "settings/AppState.h"

#include <QFileInfo>

namespace orvane {

// The symbol alone, in red.
const CardAction deleteAction{
    .id = "delete",
    .destructive = true,
    .symbol = "trash",
    .detail = {"Move to Trash", QT_TRANSLATE_NOOP("CardTexts", "Move to Trash")},
    .run =
        [](FloatingHUDView &card, QWindow *, const QRectF &) {
            card.handleDelete();
            return true;
        },
};

void FloatingHUDView::handleDelete()
{
    if (m_trashing) {
        return; // a second press while the Trash is busy with the file
    }
    m_trashing = true;
    moveToTrash(m_services, this, m_filePath,
                [state = m_services.state, onDismiss = m_onDismiss,
                 path = m_filePath](FloatingHUDView *card, bool trashed) {
                    if (trashed) {
                        state->playFeedbackSound(QStringLiteral("Basso"));
                        onDismiss();
                        return;
                    }
                    const bool gone = !QFileInfo::exists(path);
                    reportFailure(card, gone ? "notTrashedMissing" : "notTrashedKept",
                                  QStringLiteral("Could not move to the Trash: ") +
                                      QFileInfo(path).fileName());
                });
}

} // namespace orvane
