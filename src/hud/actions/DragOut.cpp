// Dragging the screenshot out of the card: the drop target gets the file, and the picture
// itself for those that take images rather than files (chats, editors).
#include "hud/FloatingHUDView.h"
#include "hud/FullImage.h"
#include "platform/Platform.h"

#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

namespace orvane {

namespace {

// The picture is read from the file only when a drop target asks for it: most take the file
// and never do, and the card holds only a thumbnail.
class ScreenshotMimeData : public QMimeData {
public:
    ScreenshotMimeData(QString path, Platform &platform)
        : m_path(std::move(path)), m_platform(platform)
    {
        setUrls({QUrl::fromLocalFile(m_path)});
    }

    QStringList formats() const override
    {
        return QMimeData::formats() << QStringLiteral("application/x-qt-image");
    }

protected:
    QVariant retrieveData(const QString &type, QMetaType preferred) const override
    {
        if (type != u"application/x-qt-image") {
            return QMimeData::retrieveData(type, preferred);
        }
        if (m_image.isNull()) {
            m_image = readFullImage(m_path, m_platform.detection());
        }
        return m_image.isNull() ? QVariant() : QVariant(m_image);
    }

private:
    QString m_path;
    Platform &m_platform;
    mutable QImage m_image;
};

} // namespace

void FloatingHUDView::startDrag()
{
    if (m_dragging || !QFileInfo::exists(m_filePath)) {
        return;
    }
    auto *drag = new QDrag(this);
    drag->setMimeData(new ScreenshotMimeData(m_filePath, *m_services.platform));
    QImage preview =
        m_picture.thumbnail.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    drag->setPixmap(QPixmap::fromImage(preview));
    drag->setHotSpot(QPoint(preview.width() / 2, preview.height() / 2));
    // The card waits while the user looks for where to drop, as it does under the pointer.
    m_dragging = true;
    QPointer<FloatingHUDView> self(this);
    // Runs its own event loop until the drop. Qt keeps the drag, and its data, until the drop
    // target has taken what it asked for, which may be after this returns.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    if (self) {
        m_dragging = false;
    }
}

} // namespace orvane
