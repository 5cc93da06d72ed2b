#include "gl/Mesh.h"

#include <cstdint>
#include <iostream>
#include <limits>

namespace {

// The byte sizes are handed to GL as signed 32-bit-safe values: a mesh whose vertex or index
// bytes do not fit would otherwise upload a wrapped, wrong size without any complaint.
bool fitsInSigned32(uint64_t bytes)
{
    return bytes <= uint64_t(std::numeric_limits<int32_t>::max());
}

}  // namespace

void Mesh::upload(const GLuint* indices, GLuint indicesLength, const Vertex* vertices, GLuint verticesLength,
                  bool withAdjacency)
{
    const uint64_t vertexBytes = uint64_t(verticesLength) * sizeof(Vertex);
    const uint64_t indexBytes = uint64_t(indicesLength) * sizeof(GLuint);
    if (!fitsInSigned32(vertexBytes) || !fitsInSigned32(indexBytes)) {
        std::cout << "Mesh::upload(): mesh too large (" << verticesLength << " vertices, " << indicesLength
                  << " indices), nothing uploaded" << std::endl;
        return;
    }

    adjacency = withAdjacency;
    indexCount = indicesLength;

    glGenVertexArrays(1, &vertexArray.id);
    vertexArray.bind();

    glGenBuffers(1, &vertexBuffer.id);
    vertexBuffer.target = GL_ARRAY_BUFFER;
    vertexBuffer.usage = GL_STATIC_DRAW;
    vertexBuffer.bind();
    vertexBuffer.allocate(GLsizeiptr(vertexBytes), vertices);

    glGenBuffers(1, &indexBuffer.id);
    indexBuffer.target = GL_ELEMENT_ARRAY_BUFFER;
    indexBuffer.usage = GL_STATIC_DRAW;
    // Bound while the vertex array is bound, so the array records this index buffer.
    indexBuffer.bind();
    indexBuffer.allocate(GLsizeiptr(indexBytes), indices);

    vertexArray.init();
    VertexArrayObject::unbind();
}

void Mesh::draw(GLuint firstIndex, GLuint count)
{
    vertexArray.bind();
    // Programs without a geometry stage rasterise an adjacency triangle from its indices
    // 0, 2 and 4, which the import makes the triangle's own corners.
    const GLenum mode = adjacency ? GL_TRIANGLES_ADJACENCY : GL_TRIANGLES;
    glDrawElements(mode, GLsizei(count), GL_UNSIGNED_INT,
                   // NOLINTNEXTLINE(performance-no-int-to-ptr): GL takes the index buffer offset as a pointer.
                   reinterpret_cast<const void*>(uintptr_t(firstIndex) * sizeof(GLuint)));
}
