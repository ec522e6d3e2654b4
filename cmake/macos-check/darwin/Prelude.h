// Included first in every file the macOS check compiles, which clang reads as for an arm64 Mac
// (__APPLE__, __MACH__, Q_OS_MACOS) while the C and C++ library headers are glibc's and
// libstdc++'s for arm64 Linux: the one clash between the two is undone here.
#pragma once

// clang defines __nonnull as Apple's nullability keyword on Darwin; glibc's <sys/cdefs.h>
// defines it as an attribute macro that takes the argument positions.
#undef __nonnull
