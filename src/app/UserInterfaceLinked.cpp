#include "LazyUserInterface.h"

namespace orvane {

// The card and the preferences are linked into the executable (the macOS bundle).
QString userInterfaceModulePath()
{
    return {};
}

UserInterfaceLoader userInterfaceLoader(const QString &)
{
    return [] { return UserInterfaceFactory{&orvane_create_user_interface_4, {}}; };
}

} // namespace orvane
