#pragma once

#include <GL/glew.h>

// The program last passed to glUseProgram. There is one context and one thread, so this
// plain variable mirrors the context's current program as long as every program change in
// the system goes through useProgram and releaseProgram.
extern GLuint currentProgram;

// Makes program current unless it already is (then no GL call is made).
void useProgram(GLuint program);
// Makes no program current, but only when program is the current one.
void releaseProgram(GLuint program);
