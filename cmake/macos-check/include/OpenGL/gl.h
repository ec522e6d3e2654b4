// The OpenGL framework's headers, which Qt's qopengl.h includes on a Mac: the same OpenGL API as
// the Khronos headers here declare (Mesa's, which Qt's own packages depend on). Only the Linux
// compile check of the macOS build reads this file.
#pragma once

#define GL_GLEXT_LEGACY
#include <GL/gl.h>
