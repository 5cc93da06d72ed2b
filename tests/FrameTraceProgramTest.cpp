// The GL calls of one frame of the real program, recorded with apitrace: three scene passes
// with their face and stencil state in order, and no vertex array or program bound twice in
// a row.

#include "GLTestSupport.h"
#include "ProgramRun.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Counts the calls, as apitrace dumps them ("glUseProgram(program = 3)"), that bind again
// what is already bound: the caches in gl/ exist to skip those.
struct RepeatedBinds {
    std::string call;  // up to the number
    GLuint bound = 0;
    int count = 0;

    void see(const std::string& line)
    {
        if (!startsWith(line, call.c_str()))
            return;
        const GLuint name = GLuint(std::stoul(line.substr(call.size())));
        count += name == bound;
        bound = name;
    }
};

// The state calls of a scene pass, in order, drawing colour into drawBuffer. Mirroring swaps
// the culled face, which is also the one whose depth failures count up.
std::vector<std::string> passStory(bool mirrored, const std::string& drawBuffer)
{
    const std::string culled = mirrored ? "GL_FRONT" : "GL_BACK", increment = culled;
    const std::string decrement = mirrored ? "GL_BACK" : "GL_FRONT", keep = "sfail = GL_KEEP, ";
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

} // namespace

TEST(FrameTraceProgramTest, OneFrameRendersThreePassesWithTheirFaceAndStencilStateAndNoRepeatedBinds)
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
    const std::string countSwaps =
        "apitrace dump --color=never --grep=glXSwapBuffers '" + trace + "' 2>/dev/null | grep -c glXSwapBuffers";
    for (int attempt = 0; started && attempt < 120 && std::atoi(commandOutput(countSwaps).c_str()) < 3; ++attempt)
        std::this_thread::sleep_for(std::chrono::seconds(1));
    program.pressKey("Escape");
    ASSERT_TRUE(started) << program.standardOutput() << program.standardError();
    EXPECT_EQ(program.waitForExit(60), 0) << program.standardError();

    static const std::regex stateCall(
        "gl(CullFace|DrawBuffer|DepthMask|StencilFunc|StencilOpSeparate|BlendEquation|BlendFunc)\\(.*|"
        "gl(Enable|Disable)\\(cap = GL_(STENCIL_TEST|DEPTH_CLAMP|CULL_FACE|BLEND)\\)");
    std::istringstream dump(commandOutput("apitrace dump --color=never --call-nos=no '" + trace + "'"));
    std::string call;
    RepeatedBinds arrays{"glBindVertexArray(array = "}, programs{"glUseProgram(program = "};
    int frame = 0, passes = 0;
    std::vector<std::string> story;
    while (std::getline(dump, call)) {
        frame += startsWith(call, "glXSwapBuffers(");
        // Across the whole run, frames and start-up alike.
        arrays.see(call);
        programs.see(call);
        if (frame != 1)
            continue;
        if (startsWith(call, "glClear(") && call.find("GL_STENCIL_BUFFER_BIT") != std::string::npos)
            ++passes;
        else if (std::regex_match(call, stateCall))
            story.push_back(call);
    }
    ASSERT_GE(frame, 2) << "fewer than two whole frames were traced";
    EXPECT_EQ(arrays.count, 0);
    EXPECT_EQ(programs.count, 0);
    EXPECT_EQ(passes, 3);
    std::vector<std::string> expected;
    // Refraction, reflection, screen.
    for (const auto& pass : {passStory(false, "GL_COLOR_ATTACHMENT0"), passStory(true, "GL_COLOR_ATTACHMENT0"),
                             passStory(false, "GL_BACK")})
        expected.insert(expected.end(), pass.begin(), pass.end());
    EXPECT_EQ(story, expected);
}
