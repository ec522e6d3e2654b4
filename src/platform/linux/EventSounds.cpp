#include "platform/linux/EventSounds.h"

#include "platform/Log.h"
#include "platform/linux/LoadedLibrary.h"

#include <canberra.h>
#include <dlfcn.h>

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

namespace {

// libcanberra, opened on the first sound rather than linked: with its codecs it costs memory
// in every run, and sounds may be off. The header gives the functions' types.
struct Canberra {
    decltype(&ca_context_create) contextCreate = nullptr;
    decltype(&ca_context_set_driver) setDriver = nullptr;
    decltype(&ca_context_change_props) changeProps = nullptr;
    decltype(&ca_context_play) play = nullptr;
};

using loadedlibrary::find;

std::optional<Canberra> openCanberra()
{
    const char *library = "libcanberra.so.0";
    Canberra canberra;
    void *handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle && find(handle, canberra.contextCreate, "ca_context_create") &&
        find(handle, canberra.setDriver, "ca_context_set_driver") &&
        find(handle, canberra.changeProps, "ca_context_change_props") &&
        find(handle, canberra.play, "ca_context_play")) {
        return canberra;
    }
    logLine(QStringLiteral("No sounds: %1 cannot be opened: %2")
                .arg(QString::fromLatin1(library), loadedlibrary::lastError()));
    if (handle) {
        dlclose(handle);
    }
    return std::nullopt;
}

} // namespace

void play(const QString &eventId)
{
    // One library and context for the whole run, made on the first sound (the main thread's);
    // played sounds are asynchronous.
    static const std::optional<Canberra> canberra = openCanberra();
    static ca_context *context = [] {
        ca_context *created = nullptr;
        if (!canberra || canberra->contextCreate(&created) != CA_SUCCESS) {
            return static_cast<ca_context *>(nullptr);
        }
        // Through the sound server only: where there is none, the ALSA fallback would just
        // print its complaints to the log.
        canberra->setDriver(created, "pulse");
        canberra->changeProps(created, CA_PROP_APPLICATION_NAME, "Orvane", CA_PROP_APPLICATION_ID,
                              "com.tarnwell.orvane", nullptr);
        return created;
    }();
    if (context == nullptr) {
        return;
    }
    const QByteArray id = eventId.toUtf8();
    canberra->play(context, 0, CA_PROP_EVENT_ID, id.constData(), nullptr);
}

} // namespace orvane::eventsounds
