#pragma once

#include "platform/Platform.h"

#include <QObject>
#include <QString>

#include <functional>

namespace orvane {

// How putting a file back from the Trash went.
struct Restoration {
    enum class Outcome {
        Restored,   // at its own path again
        RestoredAs, // beside it, under a new name: its own was taken meanwhile
        Gone,       // the Trash holds it no more (emptied, or the file removed from it)
        Failed,
    };
    Outcome outcome;
    QString path;   // where the file is now (Restored, RestoredAs)
    QString reason; // why not (Failed)
};

// Puts `trashed` back where it was, with the bytes and times the Trash kept, and removes the
// Trash's record of it. Never replaces a file: where its name is taken, the file comes back
// beside it as "name (2).png" (or the next free number). A folder removed meanwhile is made
// again. Blocking.
Restoration restoreFromTrash(const TrashedFile &trashed);

// A notification with at most one action, as the system's notification service shows it.
struct Notice {
    QString title;
    QString body; // plain text
    QString actionKey;
    QString actionLabel;       // none: a notice without an action
    std::function<void()> act; // run on the main thread when the user picks the action
};

// The system's notifications with actions.
class ActionNotifications {
public:
    virtual ~ActionNotifications() = default;
    // Shows `notice`. Returns at once; where no service can show it (none at all, or, for a
    // notice with an action, none that shows actions), `unavailable` runs on the main thread
    // with why, and nothing is shown.
    virtual void notify(Notice notice, std::function<void(const QString &why)> unavailable) = 0;
};

// The Undo that follows each move to the Trash: offered in a notification, carried out off the
// main thread, its outcome logged, and notified when it is not what the user asked for.
class TrashUndo : public QObject {
public:
    explicit TrashUndo(ActionNotifications &notifications, QObject *parent = nullptr);

    void offer(const TrashedFile &trashed);

private:
    void undo(const TrashedFile &trashed);
    void restored(const TrashedFile &trashed, const Restoration &restoration);
    void tellUnavailable(const QString &why);

    ActionNotifications &m_notifications;
    bool m_toldUnavailable = false;
};

} // namespace orvane
