// See OpenGL/gl.h: the core profile's functions come with OpenGL/glext.h here.
#pragma once

#include <OpenGL/gl.h>
