#include "GLTestSupport.h"

#include "gl/FrameBuffer.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

// The object type and name at an attachment point of the bound framebuffer.
std::pair<GLint, GLint> attachedAt(GLenum attachment)
{
    GLint type = -1, name = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    if (type != GL_NONE)
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
    return {type, name};
}

// Expects the bound target to hold texture and a depth-stencil renderbuffer of its size.
void expectAttachmentsOf(const FrameBuffer& target, const Texture& texture)
{
    std::vector<GLint> storage;
    glBindRenderbuffer(GL_RENDERBUFFER, target.renderbuffer);
    for (GLenum parameter : {GL_RENDERBUFFER_WIDTH, GL_RENDERBUFFER_HEIGHT, GL_RENDERBUFFER_STENCIL_SIZE}) {
        storage.push_back(-1);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, parameter, &storage.back());
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    EXPECT_EQ(storage, (std::vector<GLint>{texture.width, texture.height, 8}));
    const std::pair<GLint, GLint> renderbuffer{GL_RENDERBUFFER, target.renderbuffer};
    EXPECT_EQ(attachedAt(GL_DEPTH_ATTACHMENT), renderbuffer);
    EXPECT_EQ(attachedAt(GL_STENCIL_ATTACHMENT), renderbuffer);
    EXPECT_EQ(attachedAt(GL_COLOR_ATTACHMENT0), std::pair(GL_TEXTURE, GLint(texture.id)));
}

}  // namespace

TEST(FrameBufferGLTest, SecondTextureReplacesTheDepthStencilBufferWithOneOfItsSize)
{
    ensureGLContext();
    StdoutCapture quiet;
    FrameBuffer target;
    Texture first, second;
    first.create(GL_RGBA, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    second.create(GL_RGBA, 32, 16, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    target.bind();
    target.attachTexture(&first);
    const GLuint previous = target.renderbuffer;
    EXPECT_TRUE(target.attachTexture(&second));
    EXPECT_FALSE(glIsRenderbuffer(previous));
    expectAttachmentsOf(target, second);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
