// Availability.h of the macOS 13 SDK, the parts Qt's headers read: the deployment target from
// the compiler (-mmacosx-version-min) and the SDK's version. Written from Apple's documentation;
// only the Linux compile check of the macOS build reads this file.
#pragma once

#define __MAC_10_15 101500
#define __MAC_11_0 110000
#define __MAC_12_0 120000
#define __MAC_13_0 130000

#ifndef __MAC_OS_X_VERSION_MIN_REQUIRED
#define __MAC_OS_X_VERSION_MIN_REQUIRED __ENVIRONMENT_MAC_OS_X_VERSION_MIN_REQUIRED__
#endif
#ifndef __MAC_OS_X_VERSION_MAX_ALLOWED
#define __MAC_OS_X_VERSION_MAX_ALLOWED __MAC_13_0
#endif

#define __API_AVAILABLE(...)
#define API_AVAILABLE(...)
#define API_UNAVAILABLE(...)
#define API_DEPRECATED(...)
