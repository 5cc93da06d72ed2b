#include "gl/VertexArrayObject.h"

#include "gl/Vertex.h"

#include <cstddef>
#include <iostream>

GLuint currentVertexArray = 0;

namespace {

struct AttributeLayout {
    GLuint location;
    GLint components;
    size_t offset;
    int errorLine;  // the number of the error line printed after it
};

// Every attribute reads floats from the interleaved Vertex record.
constexpr AttributeLayout layout[] = {
    {0, 3, offsetof(Vertex, position), 2},   // "in_Position"
    {1, 3, offsetof(Vertex, color), 3},      // "in_Color"
    {2, 3, offsetof(Vertex, normal), 3},     // "in_Normal"
    {3, 3, offsetof(Vertex, normalAV), 3},   // "in_NormalAV"
    {4, 2, offsetof(Vertex, texCoord), 4},   // "in_TextCord"
    {5, 3, offsetof(Vertex, tangent), 4},    // "in_Tangent"
    {6, 3, offsetof(Vertex, bitangent), 4},  // "in_Bitangent"
};

void printError(int errorLine)
{
    std::cout << "VertexArrayObject:init(" << errorLine << "):Error:" << glGetError() << std::endl;
}

}  // namespace

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
    for (const AttributeLayout& attribute : layout)
        glEnableVertexAttribArray(attribute.location);
    printError(1);
    for (const AttributeLayout& attribute : layout) {
        glVertexAttribPointer(attribute.location, attribute.components, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              // NOLINTNEXTLINE(performance-no-int-to-ptr): GL takes the offset as a pointer.
                              reinterpret_cast<const void*>(attribute.offset));
        printError(attribute.errorLine);
    }
    unbind();
}
