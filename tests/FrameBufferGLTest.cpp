#include "MeshDrawing.h"

#include "gl/Mesh.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

const std::string noError = "FrameBuffer::attachTexture::glError0\n";

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

unsigned char stencilAt(int x, int y)
{
    unsigned char stencil = 0xEE;
    glReadPixels(x, y, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &stencil);
    return stencil;
}

} // namespace

TEST(FrameBufferGLTest, A1024TargetReportsCompleteAndItsStencilWorks)
{
    ensureGLContext();
    Texture texture;
    FrameBuffer target;
    // The order in which the water builds each of its render targets.
    StdoutCapture output;
    target.bind();
    texture.create(GL_RGBA, 1024, 1024, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    EXPECT_TRUE(target.attachTexture(&texture));
    target.unbind();
    EXPECT_EQ(output.text(), "Texture::create::glErrorCode:0\n" + noError + noError + noError + noError +
                                 "Framebuffer complete.\n");
    EXPECT_FALSE(target.bound);
    EXPECT_EQ(boundName(GL_FRAMEBUFFER_BINDING), 0u);
    EXPECT_EQ(boundName(GL_RENDERBUFFER_BINDING), 0u);
    target.bind();
    expectAttachmentsOf(target, texture);

    // Mark the left half in the stencil only, then paint where the stencil is still 0.
    const Vertex corners[] = {vertexAt(-1, -1), vertexAt(0, -1), vertexAt(0, 1), vertexAt(-1, 1),
                              vertexAt(1, -1), vertexAt(1, 1)};
    const GLuint halves[] = {0, 1, 2, 0, 2, 3, 1, 4, 5, 1, 5, 2};
    Mesh quads;
    quads.upload(halves, 12, corners, 6, false);
    usePaintingProgram();
    glViewport(0, 0, 1024, 1024);
    clearTarget();
    glEnable(GL_STENCIL_TEST);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    quads.draw(0, 6);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilFunc(GL_EQUAL, 0, 0xFF);
    quads.draw(0, 12);
    glDisable(GL_STENCIL_TEST);
    VertexArrayObject::unbind();
    EXPECT_EQ(stencilAt(256, 512), 1);
    EXPECT_EQ(stencilAt(768, 512), 0);
    EXPECT_FALSE(isPainted(256, 512));
    EXPECT_TRUE(isPainted(768, 512));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(FrameBufferGLTest, AttachTextureRefusesMissingTexturesBeforeAnUnboundFrameBuffer)
{
    ensureGLContext();
    FrameBuffer target, missing;
    glDeleteFramebuffers(1, &missing.id);
    missing.id = 0;
    Texture created, neverCreated;
    created.create(GL_RGBA, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    const std::string bindRefused = "FrameBuffer::bind(): FrameBuffer not created\n";
    const std::string textureRefused = "FrameBuffer::attachTexture(): Texture not created\n";
    const struct {
        FrameBuffer* frameBuffer;
        Texture* texture;
        bool errorPending;
        std::string printed;
    } refusals[] = {
        {&target, &neverCreated, false, noError + textureRefused},
        {&missing, &neverCreated, false, bindRefused + noError + textureRefused},
        // The first line reports, and so clears, whatever error was pending.
        {&missing, &created, true, bindRefused + "FrameBuffer::attachTexture::glError1280\n"
                                                 "FrameBuffer::attachTexture(): FrameBuffer not bound\n"},
    };
    for (const auto& refusal : refusals) {
        target.bind();
        StdoutCapture output;
        refusal.frameBuffer->bind();
        GLint ignored = 0;
        if (refusal.errorPending)
            glGetIntegerv(0, &ignored);
        EXPECT_FALSE(refusal.frameBuffer->attachTexture(refusal.texture)) << refusal.printed;
        EXPECT_EQ(output.text(), refusal.printed) << refusal.printed;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << refusal.printed;
        EXPECT_EQ(boundName(GL_FRAMEBUFFER_BINDING), target.id) << refusal.printed;
        EXPECT_EQ(target.renderbuffer, 0u) << refusal.printed;
        EXPECT_EQ(attachedAt(GL_COLOR_ATTACHMENT0).first, GL_NONE) << refusal.printed;
    }

    // Null detaches the colour image of whatever framebuffer is bound, without a bound check;
    // unbind binds the window's framebuffer whoever was bound.
    target.attachTexture(&created);
    missing.unbind();
    EXPECT_EQ(boundName(GL_FRAMEBUFFER_BINDING), 0u);
    EXPECT_TRUE(target.bound);
    target.unbind();
    glBindFramebuffer(GL_FRAMEBUFFER, target.id);
    StdoutCapture output;
    EXPECT_TRUE(target.attachTexture(nullptr));
    EXPECT_EQ(output.text(), noError);
    EXPECT_EQ(attachedAt(GL_COLOR_ATTACHMENT0).first, GL_NONE);
    EXPECT_EQ(attachedAt(GL_DEPTH_ATTACHMENT), std::pair(GL_RENDERBUFFER, GLint(target.renderbuffer)));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(FrameBufferGLTest, SecondTextureReplacesTheDepthStencilBufferWithOneOfItsSize)
{
    ensureGLContext();
    FrameBuffer target;
    Texture first, second;
    first.create(GL_RGBA, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    second.create(GL_RGBA, 32, 16, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    target.bind();
    target.attachTexture(&first);
    const GLuint previous = target.renderbuffer;
    StdoutCapture output;
    EXPECT_TRUE(target.attachTexture(&second));
    EXPECT_EQ(output.text(), noError + noError + noError + noError + "Framebuffer complete.\n");
    EXPECT_FALSE(glIsRenderbuffer(previous));
    expectAttachmentsOf(target, second);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(FrameBufferGLTest, CompletenessNamesTheStatusOfWhateverFramebufferIsBound)
{
    ensureGLContext();
    FrameBuffer empty, zeroSized, mixedSamples;
    Texture noPixels, colour;
    noPixels.create(GL_RGBA, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    colour.create(GL_RGBA, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    zeroSized.bind();
    zeroSized.attachTexture(&noPixels);
    mixedSamples.bind();
    mixedSamples.attachTexture(&colour);
    GLuint multisampled = 0;
    glGenRenderbuffers(1, &multisampled);
    glBindRenderbuffer(GL_RENDERBUFFER, multisampled);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, 4, GL_RGBA8, 64, 64);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_RENDERBUFFER, multisampled);

    const struct {
        GLuint framebuffer;
        const char* printed;
    } statuses[] = {
        {0, "Framebuffer complete.\n"},
        {empty.id, "[ERROR] Framebuffer incomplete: No image is attached to FBO.\n"},
        {zeroSized.id, "[ERROR] Framebuffer incomplete: Attachment is NOT complete.\n"},
        // GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE has no line of its own.
        {mixedSamples.id, "[ERROR] Framebuffer incomplete: Unknown error.\n"},
    };
    for (const auto& status : statuses) {
        glBindFramebuffer(GL_FRAMEBUFFER, status.framebuffer);
        StdoutCapture output;
        EXPECT_EQ(empty.checkCompleteness(), status.framebuffer == 0) << status.printed;
        EXPECT_EQ(output.text(), status.printed);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
