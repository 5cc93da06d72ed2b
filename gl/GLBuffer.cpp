#include "gl/GLBuffer.h"

#include <iostream>

bool GLBuffer::bind()
{
    if (id == 0) {
        std::cout << "GLBuffer::bind(): GLBuffer not created" << std::endl;
        return false;
    }
    glBindBuffer(target, id);
    std::cout << "GLBuffer::bind::glErrorCode:" << glGetError() << std::endl;
    return true;
}

void GLBuffer::allocate(GLsizeiptr size, const void* data)
{
    glBufferData(target, size, data, usage);
    std::cout << "GLBuffer::allocate::glErrorCode:" << glGetError() << std::endl;
}
