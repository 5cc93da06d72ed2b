#pragma once

// What the GL tests of the wrappers share: a square off-screen target, a program that paints
// every fragment one colour, vertices that carry nothing but a position, and binding queries.

#include "GLProbes.h"
#include "GLTestSupport.h"
#include "gl/FrameBuffer.h"
#include "gl/ProgramCache.h"
#include "gl/Vertex.h"

#include <utility>
#include <vector>

inline Vertex vertexAt(float x, float y)
{
    Vertex vertex{};
    vertex.position[0] = x;
    vertex.position[1] = y;
    return vertex;
}

// Compiles and links a vertex and a fragment shader with in_Position on location 0, where
// every mesh feeds its positions.
inline GLuint linkProgram(const char* vertex, const char* fragment)
{
    const GLuint program = glCreateProgram();
    for (auto [stage, source] : {std::pair{GL_VERTEX_SHADER, vertex}, std::pair{GL_FRAGMENT_SHADER, fragment}}) {
        const GLuint shader = glCreateShader(stage);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
    }
    glBindAttribLocation(program, 0, "in_Position");
    glLinkProgram(program);
    return program;
}

// Positions pass through unchanged, so vertices are given in normalised device coordinates.
// Made current.
inline void usePaintingProgram()
{
    static const GLuint program =
        linkProgram("#version 150 core\nin vec3 in_Position;\n"
                    "void main() { gl_Position = vec4(in_Position, 1.0); }\n",
                    "#version 150 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0, 0.0, 1.0, 1.0); }\n");
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
