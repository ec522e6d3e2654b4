// Share: the system's picker where there is one, else the card's small menu. Sharing never
// ends the card, and its countdown goes on, unless it fails: then the card says so.
#include "hud/FloatingHUDView.h"
#include "hud/actions/CardActions.h"
#include "platform/Platform.h"

#include <QWindow>

namespace orvane {

const CardAction shareAction{
    .id = "share",
    .symbol = "square.and.arrow.up",
    .title = {"Share", QT_TRANSLATE_NOOP("CardTexts", "Share")},
    .detail = {QT_TRANSLATE_NOOP("macOS", "Share via AirDrop, Messages, Mail, Notes..."),
               QT_TRANSLATE_NOOP("CardTexts", "Share via Mail, Clipboard, Other Apps...")},
    .run = [](FloatingHUDView &card, QWindow *window,
              const QRectF &anchor) { return card.handleShare(window, anchor); },
};

bool FloatingHUDView::handleShare(QWindow *window, const QRectF &anchor)
{
    return window && m_services.platform->share().showSharePicker(m_filePath, *window,
                                                                  anchor.toAlignedRect());
}

void FloatingHUDView::shareCopyFile()
{
    if (fileStillThere("notSharedMissing", QStringLiteral("copy the file"))) {
        m_services.platform->card().copyFileToClipboard(m_filePath);
    }
}

bool FloatingHUDView::shareByEmail()
{
    if (!fileStillThere("notSharedMissing", QStringLiteral("attach the file to an e-mail"))) {
        return false;
    }
    if (m_services.platform->share().emailFile(m_filePath).ok()) {
        return true;
    }
    reportFailure(this, "notSharedNoMail",
                  QStringLiteral("Could not start an e-mail, no mail program: ") + fileName());
    return false;
}

QVariantList FloatingHUDView::openWithApplications()
{
    QVariantList list;
    for (const FileApplication &app :
         m_services.platform->share().applicationsForFile(m_filePath)) {
        list.append(
            QVariantMap{{QStringLiteral("id"), app.id}, {QStringLiteral("name"), app.name}});
    }
    return list;
}

bool FloatingHUDView::shareOpenWith(const QString &applicationId)
{
    if (!fileStillThere("notOpenedMissing", QStringLiteral("open with ") + applicationId)) {
        return false;
    }
    if (m_services.platform->share().openFileWith(m_filePath, applicationId).ok()) {
        return true;
    }
    reportFailure(this, "notOpenedAppFailed",
                  QStringLiteral("Could not open with %1: %2").arg(applicationId, fileName()));
    return false;
}

} // namespace orvane
