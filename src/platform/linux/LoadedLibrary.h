#pragma once

// What the libraries opened on first use (GIO, libcanberra, libheif) share: looking up their
// functions, and the loader's reason when that fails.

#include <QString>

#include <dlfcn.h>

namespace orvane::loadedlibrary {

// Points `function` at the symbol `name` of an opened library; false when it has none.
template <typename Function> bool find(void *handle, Function &function, const char *name)
{
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

// The loader's own words for its last failure.
inline QString lastError()
{
    const char *error = dlerror();
    return error ? QString::fromLocal8Bit(error) : QStringLiteral("unknown error");
}

} // namespace orvane::loadedlibrary
