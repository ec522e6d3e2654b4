# Configures Orvane as a macOS build on a machine without macOS, for `make macos-check`: every
# `if(APPLE)` branch is evaluated, and compile_commands.json lists what a Mac would compile.
# The tree is configured, never built. What is stood in for, and why, is in the README
# (Building, macOS); in short: Debian's Qt CMake packages, `lipo`, try-compiles that link.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_VERSION 22.0) # macOS 13
set(CMAKE_SYSTEM_PROCESSOR arm64)
set(CMAKE_OSX_ARCHITECTURES arm64 CACHE STRING "")
set(CMAKE_OSX_DEPLOYMENT_TARGET 13.0 CACHE STRING "")
# No SDK here: CMake would otherwise ask xcrun for one.
set(CMAKE_OSX_SYSROOT "" CACHE PATH "")

set(CMAKE_C_COMPILER /usr/bin/clang)
set(CMAKE_CXX_COMPILER /usr/bin/clang++)
set(CMAKE_OBJCXX_COMPILER /usr/bin/clang++)
foreach(lang IN ITEMS C CXX OBJCXX)
    set(CMAKE_${lang}_COMPILER_TARGET arm64-apple-macos13)
endforeach()
# Nothing can be linked for macOS here: CMake's compiler checks compile without linking.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# This machine's Qt, as the Mac's Homebrew Qt would be found; its tools (moc, rcc, qmlcachegen)
# are the host's, as in any cross configuration.
set(ORVANE_QT_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
list(APPEND CMAKE_PREFIX_PATH ${ORVANE_QT_CMAKE_DIR})
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR ${ORVANE_QT_CMAKE_DIR} CACHE PATH "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Apple's tools: `lipo -archs` is run at configure time (darwin/bin/lipo answers it, on the PATH
# that the check gives cmake); install_name_tool is only named, and never run.
set(CMAKE_INSTALL_NAME_TOOL ${CMAKE_CURRENT_LIST_DIR}/darwin/bin/stand-in-only CACHE FILEPATH "")

# Apple's frameworks that Qt's packages look for: the OpenGL framework (Qt Gui's dependency) is
# named where a Mac has it; nothing is linked against it here.
set(OPENGL_gl_LIBRARY /System/Library/Frameworks/OpenGL.framework CACHE FILEPATH "")
set(OPENGL_glu_LIBRARY /System/Library/Frameworks/OpenGL.framework CACHE FILEPATH "")
set(OPENGL_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/include CACHE PATH "")
set(WrapOpenGL_AGL /System/Library/Frameworks/AGL.framework CACHE FILEPATH "")
# The system's zlib, which a Mac has as a .tbd in its SDK: named, never linked here.
set(ZLIB_LIBRARY /usr/lib/libz.tbd CACHE FILEPATH "")
