#pragma once

#include "math/Mat4.h"

#include <GL/glew.h>
#include <string>

// Attribute locations shared by every program and by the Vertex layout.
enum AttributeLocation : GLuint {
    PositionLocation = 0,  // "in_Position"
    ColorLocation = 1,     // "in_Color"
    NormalLocation = 2,    // "in_Normal"
    NormalAVLocation = 3,  // "in_NormalAV"
    TexCoordLocation = 4,  // "in_TextCord"
    TangentLocation = 5,   // "in_Tangent"
    BitangentLocation = 6  // "in_Bitangent"
};

// The source text of a shader file: every line followed by "\n". Returns false, and leaves
// source alone, when the file cannot be opened.
bool readShaderSource(const std::string& fileName, std::string& source);
// Compiles one stage of *program from fileName and attaches it. A file that cannot be
// opened is reported on standard error and no shader is attached.
void loadShader(const GLuint* program, GLenum stage, const std::string& fileName);
// Prints the info log on standard error when a shader failed to compile or a program
// failed to link, after a line naming origin (the shader's file) when one is given; never
// stops the program.
void checkStatus(GLuint object, const std::string& origin = "");
// Sets a matrix uniform on the program held in *programSlot.
void setUniformMatrix(const GLuint* programSlot, const char* name, const Mat4& matrix);
