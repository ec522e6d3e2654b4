#include "platform/linux/EventSounds.h"

#include "platform/Log.h"
#include "platform/linux/LoadedLibrary.h"

#include <canberra.h>
#include <dlfcn.h>

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QTimer>

#include <optional>

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

// libcanberra, opened for a sound rather than linked, and closed again once the sounds are over:
// with its codecs and the sound server's client it costs memory that a tray program at rest
// should not keep. The header gives the functions' types.
struct Canberra {
    void *handle = nullptr;
    ca_context *context = nullptr;
    decltype(&ca_context_create) contextCreate = nullptr;
    decltype(&ca_context_destroy) contextDestroy = nullptr;
    decltype(&ca_context_set_driver) setDriver = nullptr;
    decltype(&ca_context_change_props) changeProps = nullptr;
    decltype(&ca_context_play) play = nullptr;
};

using loadedlibrary::find;

std::optional<Canberra> opened;
bool missing = false; // said once; not tried again
std::chrono::milliseconds keepOpen = std::chrono::seconds(10);
QPointer<QTimer> closing;

bool open()
{
    const char *library = "libcanberra.so.0";
    Canberra canberra;
    canberra.handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (canberra.handle && find(canberra.handle, canberra.contextCreate, "ca_context_create") &&
        find(canberra.handle, canberra.contextDestroy, "ca_context_destroy") &&
        find(canberra.handle, canberra.setDriver, "ca_context_set_driver") &&
        find(canberra.handle, canberra.changeProps, "ca_context_change_props") &&
        find(canberra.handle, canberra.play, "ca_context_play")) {
        if (canberra.contextCreate(&canberra.context) == CA_SUCCESS) {
            // Through the sound server only: where there is none, the ALSA fallback would just
            // print its complaints to the log.
            canberra.setDriver(canberra.context, "pulse");
            canberra.changeProps(canberra.context, CA_PROP_APPLICATION_NAME, "Orvane",
                                 CA_PROP_APPLICATION_ID, "com.tarnwell.orvane", nullptr);
            opened = canberra;
            return true;
        }
        dlclose(canberra.handle);
        logLine(QStringLiteral("No sounds: %1 could not start.").arg(QString::fromLatin1(library)));
        missing = true;
        return false;
    }
    logLine(QStringLiteral("No sounds: %1 cannot be opened: %2")
                .arg(QString::fromLatin1(library), loadedlibrary::lastError()));
    missing = true;
    if (canberra.handle) {
        dlclose(canberra.handle);
    }
    return false;
}

// The context first: it stops the driver's threads, which run the library's code.
void close()
{
    if (opened) {
        opened->contextDestroy(opened->context);
        dlclose(opened->handle);
        opened.reset();
    }
}

} // namespace

void play(const QString &eventId)
{
    // Main thread only; played sounds are asynchronous, and a sound lasts a second or two, so
    // the library stays open until none has been asked for a while.
    if (missing || (!opened && !open())) {
        return;
    }
    const QByteArray id = eventId.toUtf8();
    opened->play(opened->context, 0, CA_PROP_EVENT_ID, id.constData(), nullptr);
    if (!closing && QCoreApplication::instance()) {
        closing = new QTimer(QCoreApplication::instance());
        closing->setSingleShot(true);
        QObject::connect(closing, &QTimer::timeout, [] { close(); });
    }
    if (closing) {
        closing->start(keepOpen);
    }
}

bool isOpen()
{
    return opened.has_value();
}

void setKeepOpenFor(std::chrono::milliseconds time)
{
    keepOpen = time;
}

} // namespace orvane::eventsounds
