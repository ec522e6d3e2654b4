// Share: the system's picker where there is one, else the card's small menu. Sharing never
// ends the card; its countdown goes on.
#include "hud/FloatingHUDView.h"
#include "platform/Platform.h"

#include <QWindow>

namespace orvane {

bool FloatingHUDView::handleShare(QWindow *window, const QRectF &anchor)
{
    return window &&
           m_services.platform->showSharePicker(m_filePath, *window, anchor.toAlignedRect());
}

void FloatingHUDView::shareCopyFile()
{
    m_services.platform->copyFileToClipboard(m_filePath);
}

bool FloatingHUDView::shareByEmail()
{
    return m_services.platform->emailFile(m_filePath);
}

QVariantList FloatingHUDView::openWithApplications()
{
    QVariantList list;
    for (const FileApplication &app : m_services.platform->applicationsForFile(m_filePath)) {
        list.append(
            QVariantMap{{QStringLiteral("id"), app.id}, {QStringLiteral("name"), app.name}});
    }
    return list;
}

bool FloatingHUDView::shareOpenWith(const QString &applicationId)
{
    return m_services.platform->openFileWith(m_filePath, applicationId);
}

} // namespace orvane
