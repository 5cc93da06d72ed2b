#pragma once

#include "gl/Texture.h"

#include <GL/glew.h>

// An off-screen render target: a colour texture on attachment 0 (not owned) and a combined
// depth-stencil renderbuffer of the texture's size (owned).
struct FrameBuffer {
    bool bound = false;  // mirrors this object's own bind/unbind calls only
    GLuint id = 0;       // 0: not created
    GLuint renderbuffer = 0;

    FrameBuffer();
    ~FrameBuffer();
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;

    void bind();
    // Binds framebuffer 0, whether or not this one was bound.
    void unbind();
    // Must be called while bound. A null texture detaches colour attachment 0.
    bool attachTexture(Texture* texture);
    // Reports the status of whatever framebuffer is bound.
    bool checkCompleteness();
};
