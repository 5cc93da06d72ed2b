#include "gl/ProgramCache.h"

GLuint currentProgram = 0;

void useProgram(GLuint program)
{
    if (currentProgram == program)
        return;
    glUseProgram(program);
    currentProgram = program;
}

void releaseProgram(GLuint program)
{
    if (currentProgram != program)
        return;
    glUseProgram(0);
    currentProgram = 0;
}
