# `cpack` (`make package`) makes build/default/orvane_<version>_<arch>.deb of what
# `cmake --install` lays under /usr, and orvane-dbgsym for the debug info stripped from it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "The Orvane developers")
set(CPACK_PACKAGE_CONTACT "${ORVANE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY (the project's description).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvane is a small tray utility that waits for your screenshots. After every
new one it shows a floating card beside your work, with the thumbnail and
one-click actions: copy and keep, copy and move to the Trash, open for markup,
show in the file manager, share or delete.")
# The binary is stripped and its debug info kept in orvane-dbgsym_*.ddeb. CPack strips it
# itself on the way (objcopy --strip-unneeded, with a debug link); CPACK_STRIP_FILES would strip
# it first and leave no debug info to keep.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The libraries it and its card and preferences module (lib/orvane/orvane-ui-<version>.so: Qt
# Quick and Qt Qml) link come from dpkg-shlibdeps; what Qt loads at run time does not show in
# the binary: the QML modules the card and the preferences import, the X11 platform plugin,
# the image formats a screenshot may come in (libheif is opened on the first HEIC), the libraries
# opened on first use (libcanberra; GIO comes in libglib2.0-0, which the linked GLib brings), and
# the tools and sounds it calls by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-templates, \
qml6-module-qtquick-layouts, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, \
qt6-qpa-plugins, qt6-image-formats-plugins, libqt6svg6, libheif1, libcanberra0, sound-theme-freedesktop, xdg-utils")
# Sounds go through PulseAudio (or PipeWire's stand-in for it); without it Orvane is silent.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcanberra-pulse")

include(CPack)
