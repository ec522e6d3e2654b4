#include "platform/linux/GioLibrary.h"

#include "platform/Log.h"
#include "platform/linux/LoadedLibrary.h"

#include <atomic>
#include <dlfcn.h>
#include <optional>

namespace orvane::gio {

namespace {

std::atomic<bool> loaded{false};

struct Library {
    std::optional<Functions> functions;
    QString reason;
};

using loadedlibrary::find;

Library open()
{
    const QByteArray name = qEnvironmentVariableIsEmpty("ORVANE_GIO_LIBRARY")
                                ? QByteArrayLiteral("libgio-2.0.so.0")
                                : qgetenv("ORVANE_GIO_LIBRARY");
    Library library;
    // Never closed: GObject's types cannot be unregistered. Symbols looked up through it come
    // from its dependencies too (g_object_unref from libgobject).
    void *handle = dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL);
    Functions functions;
    bool complete = handle != nullptr;
#define ORVANE_GIO_FIND(member, function)                                                          \
    complete = complete && find(handle, functions.member, #function);
    ORVANE_GIO_FUNCTIONS(ORVANE_GIO_FIND)
#undef ORVANE_GIO_FIND
    if (complete) {
        library.functions = functions;
        loaded = true;
        return library;
    }
    library.reason = QStringLiteral("%1 cannot be opened: %2")
                         .arg(QString::fromLocal8Bit(name), loadedlibrary::lastError());
    logLine(library.reason +
            QStringLiteral("; the Trash, other applications and GNOME's screenshot folder are "
                           "unavailable"));
    if (handle) {
        dlclose(handle);
    }
    return library;
}

const Library &library()
{
    // Built once even when the Trash's worker and the main thread ask at the same time, and
    // kept past static destruction for a worker still trashing at exit.
    static const Library *const opened = new Library(open());
    return *opened;
}

} // namespace

const Functions *functions()
{
    const Library &opened = library();
    return opened.functions ? &*opened.functions : nullptr;
}

bool isLoaded()
{
    return loaded;
}

QString unavailableReason()
{
    return library().reason;
}

} // namespace orvane::gio
