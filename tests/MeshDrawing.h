#pragma once

// What the GL tests of the wrappers share: a square off-screen target, a program that paints
// every fragment one colour, vertices that carry nothing but a position, and binding queries.

#include "GLTestSupport.h"
#include "gl/FrameBuffer.h"
#include "gl/ProgramCache.h"
#include "gl/Vertex.h"

#include <vector>

// The name bound at a binding point (GL_ARRAY_BUFFER_BINDING and the like).
inline GLuint boundName(GLenum binding)
{
    GLint name = 0;
    glGetIntegerv(binding, &name);
    return GLuint(name);
}

inline Vertex vertexAt(float x, float y)
{
    Vertex vertex{};
    vertex.position[0] = x;
    vertex.position[1] = y;
    return vertex;
}

// Positions pass through unchanged, so vertices are given in normalised device coordinates;
// in_Position sits on location 0, where every mesh feeds its positions. Made current.
inline void usePaintingProgram()
{
    static GLuint program = 0;
    if (program == 0) {
        const char* sources[2] = {"#version 150 core\nin vec3 in_Position;\n"
                                  "void main() { gl_Position = vec4(in_Position, 1.0); }\n",
                                  "#version 150 core\nout vec4 colour;\n"
                                  "void main() { colour = vec4(1.0, 0.0, 1.0, 1.0); }\n"};
        program = glCreateProgram();
        for (int stage = 0; stage < 2; ++stage) {
            const GLuint shader = glCreateShader(stage == 0 ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
            glShaderSource(shader, 1, &sources[stage], nullptr);
            glCompileShader(shader);
            glAttachShader(program, shader);
        }
        glBindAttribLocation(program, 0, "in_Position");
        glLinkProgram(program);
    }
    useProgram(program);
}

// Clears to zeros everywhere, so that painted pixels and stencil values stand out.
inline void clearTarget()
{
    glClearColor(0, 0, 0, 0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

// Whether the painting program's colour is at a pixel of the bound read framebuffer.
inline bool isPainted(int x, int y)
{
    return readPixels(x, y, 1, 1) == std::vector<unsigned char>{255, 0, 255, 255};
}

// A 64 x 64 RGBA texture attached to a FrameBuffer, left bound and cleared, the viewport on it.
struct OffscreenTarget {
    Texture texture;
    FrameBuffer frameBuffer;

    OffscreenTarget()
    {
        texture.create(GL_RGBA, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
        frameBuffer.bind();
        frameBuffer.attachTexture(&texture);
        glViewport(0, 0, 64, 64);
        clearTarget();
        usePaintingProgram();
    }
};
