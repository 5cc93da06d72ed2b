#pragma once

#include "gl/GLBuffer.h"
#include "gl/Vertex.h"
#include "gl/VertexArrayObject.h"

#include <GL/glew.h>

// Indexed geometry on the GPU: one vertex array, its vertex buffer and an index buffer of
// unsigned 32-bit indices. Never freed; scene objects point to it without owning it.
struct Mesh {
    bool adjacency = false;  // six indices per triangle, drawn as GL_TRIANGLES_ADJACENCY
    bool closed = false;     // set by the import: no free edge was found
    GLuint indexCount = 0;
    VertexArrayObject vertexArray;
    GLBuffer vertexBuffer;
    GLBuffer indexBuffer;

    // Creates the GL objects and copies both arrays; leaves no vertex array bound and the vertex
    // buffer bound to GL_ARRAY_BUFFER.
    void upload(const GLuint* indices, GLuint indicesLength, const Vertex* vertices, GLuint verticesLength,
                bool withAdjacency);
    // Draws count indices starting at index firstIndex; the vertex array stays bound.
    void draw(GLuint firstIndex, GLuint count);
};
