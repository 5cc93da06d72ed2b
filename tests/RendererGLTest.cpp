#include "GLTestSupport.h"

#include "app/Renderer.h"
#include "app/ShaderPrograms.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>
#include <utility>

namespace {

std::vector<float> projectionOf(GLuint program)
{
    std::vector<float> matrix(16);
    glGetUniformfv(program, glGetUniformLocation(program, "ProjectionMatrix"), matrix.data());
    return matrix;
}

// The programs, built once per test process from the project's shader sources.
Renderer& rendererWithPrograms()
{
    ensureGLContext();
    Renderer& renderer = Renderer::instance();
    if (renderer.defaultProgram == 0) {
        const std::string previous = std::filesystem::current_path();
        EXPECT_EQ(chdir(OKV_SOURCE_DATA_DIR), 0);
        renderer.initShaders();
        EXPECT_EQ(chdir(previous.c_str()), 0);
    }
    return renderer;
}

// The location of each uniform, by program and name, that the code looks up while they are
// recorded: setting a uniform always looks its location up by name, through GLEW's entry point.
std::map<std::pair<GLuint, std::string>, GLint> lookups;
PFNGLGETUNIFORMLOCATIONPROC driversLookup = nullptr;

GLint GLAPIENTRY recordedLookup(GLuint program, const GLchar* name)
{
    return lookups[{program, name}] = driversLookup(program, name);
}

}  // namespace

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

TEST(RendererGLTest, AMinimisedWindowOfHeightZeroKeepsAFiniteProjection)
{
    Renderer& renderer = rendererWithPrograms();
    renderer.reshape(1024, 0);
    EXPECT_EQ(std::pair(renderer.windowWidth, renderer.windowHeight), std::pair(1024, 1));
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, 1024, 1}));
    for (GLuint program : {renderer.defaultProgram, renderer.skyProgram, renderer.lightProgram,
                           renderer.shadowVolumeProgram, renderer.miniProgram, renderer.waterProgram})
        EXPECT_FLOAT_EQ(projectionOf(program)[0], 1.5f / 1024.0f) << "program " << program;
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

// GL ignores a uniform name that a program lacks (its location is -1), so a misspelt name in
// the code, or a shader edit that drops a uniform, would change the picture and report nothing.
// Start-up and a whole frame, as the program runs them, set every uniform the code sets. Names
// that a program may lack: none, since the shaders of each program use every uniform set on it.
TEST(RendererGLTest, EveryUniformTheCodeSetsIsAnActiveUniformOfTheProgramItIsSetOn)
{
    ensureGLContext();
    Renderer& renderer = Renderer::instance();
    ASSERT_EQ(chdir(OKV_DATA_DIR), 0);
    driversLookup = glGetUniformLocation;
    glGetUniformLocation = recordedLookup;
    {
        StdoutCapture quiet;
        renderer.initShaders();
        renderer.loadScene();
        renderer.reshape(800, 600);
        renderer.renderFrame();
    }
    glGetUniformLocation = driversLookup;

    const std::map<GLuint, std::string> programs = {
        {renderer.defaultProgram, "defaultProgram"}, {renderer.waterProgram, "waterProgram"},
        {renderer.miniProgram, "miniProgram"},       {renderer.lightProgram, "lightProgram"},
        {renderer.skyProgram, "skyProgram"},         {renderer.shadowVolumeProgram, "shadowVolumeProgram"}};
    std::map<GLuint, int> namesSetOn;
    for (const auto& [uniform, location] : lookups) {
        const auto& [program, name] = uniform;
        ASSERT_EQ(programs.count(program), 1u) << "\"" << name << "\" set on program " << program;
        ++namesSetOn[program];
        EXPECT_NE(location, -1) << "\"" << name << "\" is no active uniform of " << programs.at(program);
    }
    EXPECT_EQ(namesSetOn.size(), programs.size()) << "programs that had uniforms set";
}
