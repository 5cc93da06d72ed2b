// The GL calls of one frame of the real program, recorded with apitrace: three scene passes
// with their face and stencil state in order, and no vertex array bound twice in a row.

#include "GLTestSupport.h"
#include "ProgramRun.h"

#include <chrono>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// The state calls a scene pass makes, in order, for a pass culling culled and counting
// depth failures up on increment, drawing colour into drawBuffer.
std::vector<std::string> passStory(const std::string& culled, const std::string& increment,
                                   const std::string& decrement, const std::string& drawBuffer)
{
    const std::string keep = "sfail = GL_KEEP, ";
    return {
        "glCullFace(mode = " + culled + ")",
        "glDrawBuffer(mode = GL_ZERO)",  // GL_NONE, which apitrace names by value
        "glDepthMask(flag = GL_TRUE)",
        "glEnable(cap = GL_STENCIL_TEST)",
        "glEnable(cap = GL_DEPTH_CLAMP)",
        "glDepthMask(flag = GL_FALSE)",
        "glDisable(cap = GL_CULL_FACE)",
        "glStencilFunc(func = GL_ALWAYS, ref = 0, mask = 255)",
        "glStencilOpSeparate(face = " + increment + ", " + keep + "dpfail = GL_INCR_WRAP, dppass = GL_KEEP)",
        "glStencilOpSeparate(face = " + decrement + ", " + keep + "dpfail = GL_DECR_WRAP, dppass = GL_KEEP)",
        "glDisable(cap = GL_DEPTH_CLAMP)",
        "glEnable(cap = GL_CULL_FACE)",
        "glDrawBuffer(mode = " + drawBuffer + ")",
        "glStencilOpSeparate(face = GL_FRONT_AND_BACK, " + keep + "dpfail = GL_KEEP, dppass = GL_KEEP)",
        "glStencilFunc(func = GL_EQUAL, ref = 0, mask = 255)",
        "glDisable(cap = GL_STENCIL_TEST)",
        "glDepthMask(flag = GL_TRUE)",
        "glEnable(cap = GL_BLEND)",
        "glBlendEquation(mode = GL_FUNC_ADD)",
        "glBlendFunc(sfactor = GL_ONE, dfactor = GL_ONE)",
        "glDisable(cap = GL_BLEND)",
    };
}

bool isStateCall(const std::string& call)
{
    static const std::regex state("gl(CullFace|DrawBuffer|DepthMask|StencilFunc|StencilOpSeparate|BlendEquation|"
                                  "BlendFunc)\\(.*|gl(Enable|Disable)\\(cap = GL_(STENCIL_TEST|DEPTH_CLAMP|CULL_FACE|BLEND)\\)");
    return std::regex_match(call, state);
}

int swapsIn(const std::string& trace)
{
    std::istringstream count(
        commandOutput("apitrace dump --color=never --grep=glXSwapBuffers '" + trace + "' 2>/dev/null | grep -c glXSwapBuffers"));
    int swaps = 0;
    count >> swaps;
    return swaps;
}

} // namespace

TEST(FrameTraceProgramTest, OneFrameRendersThreePassesWithTheirFaceAndStencilStateAndNoRedundantBinds)
{
    TemporaryDirectory directory;
    const std::string trace = directory.path() + "/okv.trace";
    // The program takes no arguments, so apitrace is put in front of it by a small script.
    directory.write("traced-okv", "#!/bin/sh\nexec apitrace trace --output='" + trace + "' '" OKV_BINARY "'\n");
    const std::string wrapper = directory.path() + "/traced-okv";
    ASSERT_EQ(chmod(wrapper.c_str(), 0755), 0);

    ProgramRun program(OKV_DATA_DIR, wrapper);
    const bool started = program.waitForWindow(120) && program.waitForOutput("After loadScene", 120);
    // The trace reaches the file in chunks; three swaps mean at least two whole frames.
    for (int attempt = 0; started && attempt < 120 && swapsIn(trace) < 3; ++attempt)
        std::this_thread::sleep_for(std::chrono::seconds(1));
    program.pressKey("Escape");
    ASSERT_TRUE(started) << program.standardOutput() << program.standardError();
    EXPECT_EQ(program.waitForExit(60), 0) << program.standardError();

    std::istringstream dump(commandOutput("apitrace dump --color=never --call-nos=no '" + trace + "'"));
    std::vector<std::vector<std::string>> frames(1);
    std::string call;
    GLuint boundArray = 0;
    int redundantBinds = 0;
    while (std::getline(dump, call)) {
        if (startsWith(call, "glXSwapBuffers(")) {
            frames.emplace_back();
            continue;
        }
        // Across the whole run, frames and start-up alike, a bind of the bound array is waste.
        if (startsWith(call, "glBindVertexArray(array = ")) {
            const GLuint array = GLuint(std::stoul(call.substr(26)));
            redundantBinds += array == boundArray;
            boundArray = array;
        }
        frames.back().push_back(call);
    }
    ASSERT_GE(frames.size(), 3u) << "fewer than two whole frames were traced";
    EXPECT_EQ(redundantBinds, 0);

    const std::vector<std::string>& frame = frames[1];
    int passes = 0, binds = 0, draws = 0;
    std::vector<std::string> story;
    for (const std::string& c : frame) {
        binds += startsWith(c, "glBindVertexArray(");
        draws += startsWith(c, "glDrawElements(");
        if (startsWith(c, "glClear(") && c.find("GL_STENCIL_BUFFER_BIT") != std::string::npos)
            ++passes;
        else if (isStateCall(c))
            story.push_back(c);
    }
    EXPECT_EQ(passes, 3);
    // Consecutive draws from one mesh (materials of a model, an object drawn lit then
    // ambient) share one bind.
    EXPECT_LT(binds, draws);
    std::vector<std::string> expected;
    for (const auto& pass : {passStory("GL_BACK", "GL_BACK", "GL_FRONT", "GL_COLOR_ATTACHMENT0"),
                             passStory("GL_FRONT", "GL_FRONT", "GL_BACK", "GL_COLOR_ATTACHMENT0"),
                             passStory("GL_BACK", "GL_BACK", "GL_FRONT", "GL_BACK")})
        expected.insert(expected.end(), pass.begin(), pass.end());
    EXPECT_EQ(story, expected);
}
