#include "LazyUserInterface.h"

namespace orvane {

// The card and the preferences are linked into the executable (the macOS bundle).
QString userInterfaceModulePath()
{
    return {};
}

UserInterfaceLoader userInterfaceLoader(const QString &)
{
    // Qt Quick came with the executable: nothing to read, check or load first.
    UserInterfaceLoader loader;
    loader.prepare = [] { return QString(); };
    loader.load = [] { return UserInterfaceFactory{&orvane_create_user_interface_7, {}}; };
    return loader;
}

} // namespace orvane
