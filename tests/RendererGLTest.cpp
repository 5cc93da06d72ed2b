#include "GLProbes.h"
#include "GLTestSupport.h"

#include "app/Renderer.h"
#include "app/ShaderPrograms.h"
#include "gl/ProgramCache.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>
#include <utility>
#include <unistd.h>

namespace {

float fromBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<float> projectionOf(GLuint program)
{
    std::vector<float> matrix(16);
    glGetUniformfv(program, glGetUniformLocation(program, "ProjectionMatrix"), matrix.data());
    return matrix;
}

// Builds the programs from the shader sources of the project.
void initShadersFromSources(Renderer& renderer)
{
    const std::string previous = std::filesystem::current_path();
    EXPECT_EQ(chdir(OKV_SOURCE_DATA_DIR), 0);
    renderer.initShaders();
    EXPECT_EQ(chdir(previous.c_str()), 0);
}

// The programs, built once per test process.
Renderer& rendererWithPrograms()
{
    ensureGLContext();
    Renderer& renderer = Renderer::instance();
    if (renderer.defaultProgram == 0)
        initShadersFromSources(renderer);
    return renderer;
}

} // namespace

TEST(RendererGLTest, WindowHasACoreContextAndAnEightBitStencilBuffer)
{
    ensureGLContext();
    const Renderer& renderer = Renderer::instance();
    EXPECT_EQ(std::pair(renderer.windowWidth, renderer.windowHeight), std::pair(800, 600));
    EXPECT_GE(boundName(GL_MAJOR_VERSION) * 10 + boundName(GL_MINOR_VERSION), 32u);
    EXPECT_TRUE(boundName(GL_CONTEXT_PROFILE_MASK) & GL_CONTEXT_CORE_PROFILE_BIT);
    // The shadow passes count with mask 0xFF.
    GLint stencilBits = 0;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE,
                                          &stencilBits);
    EXPECT_GE(stencilBits, 8);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(RendererGLTest, InitShadersBuildsSixCleanProgramsAndTheFixedState)
{
    ensureGLContext();
    Renderer& renderer = Renderer::instance();
    testing::internal::CaptureStderr();
    StdoutCapture output;
    initShadersFromSources(renderer);
    EXPECT_EQ(output.text(), "after Shader 0\n0\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (GLuint program : {renderer.defaultProgram, renderer.waterProgram, renderer.miniProgram,
                           renderer.lightProgram, renderer.skyProgram, renderer.shadowVolumeProgram}) {
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << "program " << program;
    }
    EXPECT_EQ(currentProgram, renderer.miniProgram);
    EXPECT_EQ(boundName(GL_CURRENT_PROGRAM), renderer.miniProgram);

    // Attribute locations are the ones every vertex layout feeds.
    const GLuint D = renderer.defaultProgram;
    for (auto [program, name, location] :
         {std::tuple{D, "in_Position", 0}, {D, "in_Normal", 2}, {D, "in_TextCord", 4}, {D, "in_Tangent", 5},
          {D, "in_Bitangent", 6}, {renderer.waterProgram, "in_TextCord", 4},
          {renderer.shadowVolumeProgram, "in_NormalAV", 3}})
        EXPECT_EQ(glGetAttribLocation(program, name), location) << name;

    for (GLuint program : {renderer.defaultProgram, renderer.miniProgram}) {
        float height = 0;
        glGetUniformfv(program, glGetUniformLocation(program, "cutPlaneHeight"), &height);
        EXPECT_EQ(height, 14.0f);
    }
    GLint robust = 0;
    glGetUniformiv(renderer.shadowVolumeProgram, glGetUniformLocation(renderer.shadowVolumeProgram, "robust"),
                   &robust);
    EXPECT_EQ(robust, 1);

    EXPECT_EQ(boundName(GL_DEPTH_FUNC), GLuint(GL_LEQUAL));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    float clearDepth = 0;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &clearDepth);
    EXPECT_EQ(clearDepth, 1.0f);

    // The mirrors about the water plane y = 14 and about the ground plane y = 0.
    const Vec4 mirrored = renderer.reflectionMatrix * Vec4(3, 20, -5, 1);
    const Vec4 skyMirrored = renderer.skyReflectionMatrix * Vec4(3, 20, -5, 1);
    EXPECT_EQ((std::array{mirrored.x, mirrored.y, mirrored.z, mirrored.w}), (std::array{3.0f, 8.0f, -5.0f, 1.0f}));
    EXPECT_EQ((std::array{skyMirrored.x, skyMirrored.y, skyMirrored.z}), (std::array{3.0f, -20.0f, -5.0f}));
    EXPECT_FLOAT_EQ((renderer.reflectionMatrix * Vec4(0, 50, 0, 1)).y, -22);
}

TEST(RendererGLTest, ReshapeSetsViewportAndTheExactProjectionOnEveryProgram)
{
    Renderer& renderer = rendererWithPrograms();
    renderer.reshape(800, 600);
    // Every element exact to the bit but the first, whose rounding is left to the compiler.
    const std::vector<float> expected{1.125f, 0, 0, 0, 0, 1.5f, 0, 0, 0, 0, fromBits(0xBF8020C9u), -1,
                                      0,      0, fromBits(0xC0001064u), 0};
    for (GLuint program : {renderer.defaultProgram, renderer.skyProgram, renderer.lightProgram,
                           renderer.shadowVolumeProgram, renderer.miniProgram, renderer.waterProgram}) {
        std::vector<float> P = projectionOf(program);
        EXPECT_FLOAT_EQ(P[0], 1.125f) << "program " << program;
        P[0] = 1.125f;
        EXPECT_EQ(P, expected) << "program " << program;
    }
    EXPECT_EQ(currentProgram, renderer.waterProgram);

    // A minimised window reports height 0: the aspect ratio must stay finite.
    renderer.reshape(1024, 0);
    EXPECT_EQ(std::pair(renderer.windowWidth, renderer.windowHeight), std::pair(1024, 1));
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, 1024, 1}));
    EXPECT_FLOAT_EQ(projectionOf(renderer.defaultProgram)[0], 1.5f / 1024.0f);
    EXPECT_EQ(currentProgram, renderer.waterProgram);
}

TEST(RendererGLTest, ProgramCacheSkipsRedundantSwitches)
{
    Renderer& renderer = rendererWithPrograms();
    const GLuint P = renderer.defaultProgram;
    const GLuint Q = renderer.waterProgram;
    releaseProgram(currentProgram);
    CallCounter<glUseProgram> counter;

    useProgram(P);
    useProgram(P);
    EXPECT_EQ(counter.calls, 1);
    EXPECT_EQ(boundName(GL_CURRENT_PROGRAM), P);

    useProgram(Q);
    releaseProgram(P);  // P is not current: nothing happens
    EXPECT_EQ(counter.calls, 2);
    EXPECT_EQ(currentProgram, Q);
    EXPECT_EQ(boundName(GL_CURRENT_PROGRAM), Q);

    releaseProgram(Q);
    EXPECT_EQ(currentProgram, 0u);
    EXPECT_EQ(boundName(GL_CURRENT_PROGRAM), 0u);
    useProgram(Q);
    EXPECT_EQ(counter.calls, 4);
    EXPECT_EQ(boundName(GL_CURRENT_PROGRAM), Q);
}

TEST(RendererGLTest, CheckStatusReportsFailuresThatLeftNoInfoLog)
{
    ensureGLContext();
    const GLuint neverLinked = glCreateProgram();
    for (auto [object, expected] : {std::pair{0u, std::string("GL object that is neither shader nor program 0")},
                                    {neverLinked, "GL program " + std::to_string(neverLinked)}}) {
        testing::internal::CaptureStderr();
        checkStatus(object);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), expected + " failed with no info log\n");
    }
    glDeleteProgram(neverLinked);
}
