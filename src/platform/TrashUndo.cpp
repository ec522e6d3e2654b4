// Undo of a move to the Trash: a notification offers it, and the file comes back without ever
// taking the place of another.
#include "platform/TrashUndo.h"

#include "platform/Files.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>

namespace orvane {

namespace {

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

// "name (n).png" beside "name.png": the number before the extension (only the last one: the
// dots of "at 10.30.12" belong to the name).
QString numberedPath(const QString &path, int number)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString base = info.fileName().chopped(suffix.isEmpty() ? 0 : suffix.size() + 1);
    QString name = base + QStringLiteral(" (%1)").arg(number);
    if (!suffix.isEmpty()) {
        name += u'.' + suffix;
    }
    return info.dir().filePath(name);
}

} // namespace

Restoration restoreFromTrash(const TrashedFile &trashed)
{
    if (trashed.trashedPath.isEmpty()) {
        return {Restoration::Outcome::Gone, {}, {}};
    }
    // Only a file that is not there is gone: one the system will not let us look at (macOS
    // guards the Trash) is still there, and the user hears why.
    QString unreadable;
    const auto kept = files::fileIdentity(trashed.trashedPath, &unreadable);
    if (!kept) {
        if (!unreadable.isEmpty()) {
            return {Restoration::Outcome::Failed, {}, unreadable};
        }
        return {Restoration::Outcome::Gone, {}, {}};
    }
    if (trashed.identity && *trashed.identity != *kept) {
        return {Restoration::Outcome::Gone, {}, {}}; // emptied, and the name taken again since
    }
    const QString folder = QFileInfo(trashed.originalPath).path();
    if (!QDir().mkpath(folder)) {
        return {Restoration::Outcome::Failed,
                {},
                QStringLiteral("its folder %1 cannot be made again").arg(folder)};
    }
    // Bounded, for a folder where every such name is taken.
    for (int number = 1; number <= 1000; ++number) {
        const QString target =
            number == 1 ? trashed.originalPath : numberedPath(trashed.originalPath, number);
        const files::Move move = files::moveWithoutReplacing(trashed.trashedPath, target);
        if (move.outcome == files::MoveOutcome::TargetExists) {
            continue;
        }
        if (move.outcome == files::MoveOutcome::Failed) {
            return {Restoration::Outcome::Failed, {}, move.error};
        }
        if (!trashed.infoPath.isEmpty() && !QFile::remove(trashed.infoPath)) {
            logLine(QStringLiteral("Could not remove the Trash's record %1").arg(trashed.infoPath));
        }
        return {number == 1 ? Restoration::Outcome::Restored : Restoration::Outcome::RestoredAs,
                target,
                {}};
    }
    return {Restoration::Outcome::Failed, {}, QStringLiteral("every name beside it is taken")};
}

TrashUndo::TrashUndo(ActionNotifications &notifications, QObject *parent)
    : QObject(parent), m_notifications(notifications)
{}

void TrashUndo::offer(const TrashedFile &trashed)
{
    if (trashed.trashedPath.isEmpty()) {
        logLine(QStringLiteral("No Undo for %1: the Trash did not say where it went")
                    .arg(trashed.originalPath));
        return;
    }
    Notice notice{QCoreApplication::translate("TrashUndo", "Moved to the Trash"),
                  fileName(trashed.originalPath), QStringLiteral("undo"),
                  QCoreApplication::translate("TrashUndo", "Undo"),
                  [this, trashed] { undo(trashed); }};
    m_notifications.notify(std::move(notice), [this](const QString &why) { tellUnavailable(why); });
}

void TrashUndo::undo(const TrashedFile &trashed)
{
    // A Trash on a slow or sleeping disk must not hold the main thread.
    // Told back only while this object lives: the program may be quitting meanwhile.
    QThreadPool::globalInstance()->start([self = QPointer<TrashUndo>(this), trashed] {
        const Restoration restoration = restoreFromTrash(trashed);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, trashed, restoration] {
                if (self) {
                    self->restored(trashed, restoration);
                }
            },
            Qt::QueuedConnection);
    });
}

void TrashUndo::restored(const TrashedFile &trashed, const Restoration &restoration)
{
    const QString name = fileName(trashed.originalPath);
    Notice notice;
    switch (restoration.outcome) {
    case Restoration::Outcome::Restored:
        logLine(QStringLiteral("Restored from the Trash: %1").arg(restoration.path));
        return;
    case Restoration::Outcome::RestoredAs:
        logLine(QStringLiteral("Restored from the Trash as %1, since %2 was taken")
                    .arg(restoration.path, trashed.originalPath));
        notice.title = QCoreApplication::translate("TrashUndo", "Restored under a new name");
        notice.body = QCoreApplication::translate("TrashUndo",
                                                  "%1 was taken, so the screenshot is back as %2.")
                          .arg(name, fileName(restoration.path));
        break;
    case Restoration::Outcome::Gone:
        logLine(QStringLiteral("Could not restore %1: it is no longer in the Trash")
                    .arg(trashed.originalPath));
        notice.title = QCoreApplication::translate("TrashUndo", "Could not restore %1").arg(name);
        notice.body = QCoreApplication::translate("TrashUndo", "It is no longer in the Trash.");
        break;
    case Restoration::Outcome::Failed:
        logLine(QStringLiteral("Could not restore %1 from the Trash: %2")
                    .arg(trashed.originalPath, restoration.reason));
        notice.title = QCoreApplication::translate("TrashUndo", "Could not restore %1").arg(name);
        notice.body = QCoreApplication::translate("TrashUndo", "It is still in the Trash (%1).")
                          .arg(restoration.reason);
        break;
    }
    m_notifications.notify(std::move(notice), [](const QString &) {});
}

void TrashUndo::tellUnavailable(const QString &why)
{
    if (!std::exchange(m_toldUnavailable, true)) {
        logLine(QStringLiteral("Undo after trashing is not offered: %1").arg(why));
    }
}

} // namespace orvane
