#include "platform/linux/EventSounds.h"

#include <canberra.h>

#include <QHash>

namespace orvane::eventsounds {

std::optional<QString> eventFor(const QString &systemSoundName)
{
    // Light confirmation, fallback pop, and the low "done something destructive" tone.
    static const QHash<QString, QString> events = {
        {QStringLiteral("Tink"), QStringLiteral("message")},
        {QStringLiteral("Pop"), QStringLiteral("bell")},
        {QStringLiteral("Basso"), QStringLiteral("trash-empty")},
    };
    const auto it = events.constFind(systemSoundName);
    if (it == events.constEnd()) {
        return std::nullopt;
    }
    return *it;
}

void play(const QString &eventId)
{
    // One context for the whole run, created on first use; played sounds are asynchronous.
    static ca_context *context = [] {
        ca_context *created = nullptr;
        if (ca_context_create(&created) != CA_SUCCESS) {
            return static_cast<ca_context *>(nullptr);
        }
        // Through the sound server only: where there is none, the ALSA fallback would just
        // print its complaints to the log.
        ca_context_set_driver(created, "pulse");
        ca_context_change_props(created, CA_PROP_APPLICATION_NAME, "Orvane", CA_PROP_APPLICATION_ID,
                                "com.tarnwell.orvane", nullptr);
        return created;
    }();
    if (context == nullptr) {
        return;
    }
    const QByteArray id = eventId.toUtf8();
    ca_context_play(context, 0, CA_PROP_EVENT_ID, id.constData(), nullptr);
}

} // namespace orvane::eventsounds
