#include "LazyUserInterface.h"

namespace orvane {

// The card and the preferences are linked into the executable (the macOS bundle).
QString userInterfaceModulePath()
{
    return {};
}

UserInterfaceLoader userInterfaceLoader(const QString &)
{
    // Qt Quick came with the executable: nothing to read or check first.
    return {[] { return QString(); },
            [] {
                return UserInterfaceFactory{&orvane_create_user_interface_6, {}};
            }};
}

} // namespace orvane
