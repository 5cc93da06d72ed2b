#include "gl/Uniforms.h"

#include "gl/ProgramCache.h"

namespace {

GLint locationIn(GLuint program, const char* name)
{
    useProgram(program);
    return glGetUniformLocation(program, name);
}

}  // namespace

void setUniform(GLuint program, const char* name, float value)
{
    glUniform1f(locationIn(program, name), value);
}

void setUniform(GLuint program, const char* name, int value)
{
    glUniform1i(locationIn(program, name), value);
}

void setUniform3(GLuint program, const char* name, const Vec4& value)
{
    glUniform3f(locationIn(program, name), value.x, value.y, value.z);
}

void setUniform4(GLuint program, const char* name, const Vec4& value)
{
    glUniform4f(locationIn(program, name), value.x, value.y, value.z, value.w);
}

void setUniform(GLuint program, const char* name, const Mat4& value)
{
    glUniformMatrix4fv(locationIn(program, name), 1, GL_FALSE, value.data());
}
