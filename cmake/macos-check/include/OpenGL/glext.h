// See OpenGL/gl.h.
#pragma once

#include <GL/glext.h>
