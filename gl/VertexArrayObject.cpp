#include "gl/VertexArrayObject.h"

#include "gl/Vertex.h"

#include <cstddef>
#include <iostream>

GLuint currentVertexArray = 0;

namespace {

void recordAttribute(GLuint location, GLint components, size_t offset)
{
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offset));
}

} // namespace

void VertexArrayObject::bind()
{
    if (id == 0) {
        std::cout << "VertexArrayObject::bind(): VertexArrayObject not created" << std::endl;
        return;
    }
    if (id == currentVertexArray)
        return;
    glBindVertexArray(id);
    currentVertexArray = id;
}

void VertexArrayObject::unbind()
{
    if (currentVertexArray == 0)
        return;
    glBindVertexArray(0);
    currentVertexArray = 0;
}

void VertexArrayObject::init()
{
    bind();
    for (GLuint location = 0; location <= 6; ++location)
        glEnableVertexAttribArray(location);
    std::cout << "VertexArrayObject:init(1):Error:" << glGetError() << std::endl;

    recordAttribute(0, 3, offsetof(Vertex, position));
    std::cout << "VertexArrayObject:init(2):Error:" << glGetError() << std::endl;

    recordAttribute(1, 3, offsetof(Vertex, color));
    std::cout << "VertexArrayObject:init(3):Error:" << glGetError() << std::endl;
    recordAttribute(2, 3, offsetof(Vertex, normal));
    std::cout << "VertexArrayObject:init(3):Error:" << glGetError() << std::endl;
    recordAttribute(3, 3, offsetof(Vertex, normalAV));
    std::cout << "VertexArrayObject:init(3):Error:" << glGetError() << std::endl;

    recordAttribute(4, 2, offsetof(Vertex, texCoord));
    std::cout << "VertexArrayObject:init(4):Error:" << glGetError() << std::endl;
    recordAttribute(5, 3, offsetof(Vertex, tangent));
    std::cout << "VertexArrayObject:init(4):Error:" << glGetError() << std::endl;
    recordAttribute(6, 3, offsetof(Vertex, bitangent));
    std::cout << "VertexArrayObject:init(4):Error:" << glGetError() << std::endl;

    unbind();
}
