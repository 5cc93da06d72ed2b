#pragma once

#include "math/Mat4.h"
#include "math/Vec4.h"

#include <GL/glew.h>

// Setting a uniform always makes the program current through the program cache and looks
// the location up by name at that moment; locations are never cached. A name the program
// lacks gives location -1, which GL silently ignores.
void setUniform(GLuint program, const char* name, float value);
void setUniform(GLuint program, const char* name, int value);
// x, y, z of the vector as a vec3.
void setUniform3(GLuint program, const char* name, const Vec4& value);
// All four components as a vec4.
void setUniform4(GLuint program, const char* name, const Vec4& value);
// Uploaded exactly as stored: count 1, transpose GL_FALSE.
void setUniform(GLuint program, const char* name, const Mat4& value);
