#pragma once

// What must hold for any model the loader prepared, whatever file it came from: checked on
// real files in the tests and on every input of the import fuzzer.

#include "gl/Mesh.h"
#include "loader/Material.h"

#include <GL/glew.h>
#include <string>
#include <vector>

// The whole of a GL buffer's data (none for buffer 0). Read through the copy-read target, which
// leaves the bindings a vertex array holds alone.
template <typename T>
std::vector<T> readBuffer(GLuint buffer)
{
    if (buffer == 0)
        return {};
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    GLint bytes = 0;
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &bytes);
    std::vector<T> values(size_t(bytes) / sizeof(T));
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, GLsizeiptr(values.size() * sizeof(T)), values.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return values;
}

// A mesh with adjacency as loadModel left it, read back from its GL buffers.
struct PreparedModel {
    std::vector<Vertex> vertices;
    std::vector<GLuint> indices;  // six per triangle: corner, opposite vertex, corner, ...
    std::vector<Material> materials;
    int freeEdges = 0;  // as the loader counted them
    bool closed = false;
};

PreparedModel readPreparedModel(const Mesh& mesh, const std::vector<Material*>& materials, int freeEdges);

// Every broken rule, one line each (empty when the model is sound): indices in range, finite
// vertices, unit tangent frames in the surface, adjacency that matches the triangles, free
// edges counted, closed only without free edges, the material ranges tiling the index list, and
// positions fitted to the unit box around the origin.
std::vector<std::string> brokenInvariants(const PreparedModel& model);
