#include "gl/FrameBuffer.h"

#include <iostream>

namespace {

void printGLError()
{
    std::cout << "FrameBuffer::attachTexture::glError" << glGetError() << std::endl;
}

}  // namespace

FrameBuffer::FrameBuffer()
{
    glGenFramebuffers(1, &id);
}

FrameBuffer::~FrameBuffer()
{
    if (id == 0)
        return;
    if (renderbuffer != 0) {
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
        glDeleteRenderbuffers(1, &renderbuffer);
    }
    glDeleteFramebuffers(1, &id);
}

void FrameBuffer::bind()
{
    if (id == 0) {
        std::cout << "FrameBuffer::bind(): FrameBuffer not created" << std::endl;
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, id);
    bound = true;
}

void FrameBuffer::unbind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    bound = false;
}

bool FrameBuffer::attachTexture(Texture* texture)
{
    printGLError();
    if (!texture) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
        return true;
    }
    if (texture->id == 0) {
        std::cout << "FrameBuffer::attachTexture(): Texture not created" << std::endl;
        return false;
    }
    if (!bound) {
        std::cout << "FrameBuffer::attachTexture(): FrameBuffer not bound" << std::endl;
        return false;
    }

    printGLError();
    // A second texture gets a depth-stencil buffer of its own size; the old one is deleted
    // (which also detaches it from this bound framebuffer) rather than orphaned.
    if (renderbuffer != 0)
        glDeleteRenderbuffers(1, &renderbuffer);
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_STENCIL, texture->width, texture->height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
    printGLError();

    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture->id, 0);
    printGLError();

    checkCompleteness();
    return true;
}

bool FrameBuffer::checkCompleteness()
{
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    const char* line = "[ERROR] Framebuffer incomplete: Unknown error.";
    switch (status) {
    case GL_FRAMEBUFFER_COMPLETE:
        line = "Framebuffer complete.";
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT:
        line = "[ERROR] Framebuffer incomplete: Attachment is NOT complete.";
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT:
        line = "[ERROR] Framebuffer incomplete: No image is attached to FBO.";
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER:
        line = "[ERROR] Framebuffer incomplete: Draw buffer.";
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER:
        line = "[ERROR] Framebuffer incomplete: Read buffer.";
        break;
    case GL_FRAMEBUFFER_UNSUPPORTED:
        line = "[ERROR] Framebuffer incomplete: Unsupported by FBO implementation.";
        break;
    }
    std::cout << line << std::endl;
    return status == GL_FRAMEBUFFER_COMPLETE;
}
