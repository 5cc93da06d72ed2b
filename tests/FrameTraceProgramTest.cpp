// The GL calls of one frame, recorded with apitrace. The real program's frame: three scene
// passes with their face and stencil state in order, and no vertex array or program bound
// twice in a row. The frame as the capture tool renders it, with the frame's observer marking
// every pass and step as a debug group: the passes and steps in order under the program's own
// names, each step holding its own state calls and draws.

#include "GLTestSupport.h"
#include "ProgramRun.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

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

bool isStateCall(const std::string& call)
{
    static const std::regex stateCall(
        "gl(CullFace|DrawBuffer|DepthMask|StencilFunc|StencilOpSeparate|BlendEquation|BlendFunc)\\(.*|"
        "gl(Enable|Disable)\\(cap = GL_(STENCIL_TEST|DEPTH_CLAMP|CULL_FACE|BLEND)\\)");
    return std::regex_match(call, stateCall);
}

bool isPassClear(const std::string& call)
{
    return startsWith(call, "glClear(") && call.find("GL_STENCIL_BUFFER_BIT") != std::string::npos;
}

Calls matching(const Calls& calls, bool (*keep)(const std::string&))
{
    Calls kept;
    for (const std::string& call : calls)
        if (keep(call))
            kept.push_back(call);
    return kept;
}

bool isDraw(const std::string& call)
{
    return startsWith(call, "glDrawElements(");
}

size_t countOf(const Calls& calls, const std::string& part)
{
    size_t count = 0;
    for (const std::string& call : calls)
        count += call.find(part) != std::string::npos;
    return count;
}

struct Step {
    std::string name;
    Calls stateCalls;  // in order
};

// The steps of a scene pass, named as the program names them, with their state calls in
// order, drawing colour into drawBuffer. Mirroring swaps the culled face, which is also the
// one whose depth failures count up.
std::vector<Step> passSteps(bool mirrored, const std::string& drawBuffer)
{
    const std::string culled = mirrored ? "GL_FRONT" : "GL_BACK", increment = culled;
    const std::string decrement = mirrored ? "GL_BACK" : "GL_FRONT", keep = "sfail = GL_KEEP, ";
    return {
        {"clear", {"glCullFace(mode = " + culled + ")"}},
        {"depth pre-pass",
         {
             "glDrawBuffer(mode = GL_ZERO)",  // GL_NONE, which apitrace names by value
             "glDepthMask(flag = GL_TRUE)",
         }},
        {"shadow volumes",
         {
             "glEnable(cap = GL_STENCIL_TEST)",
             "glEnable(cap = GL_DEPTH_CLAMP)",
             "glDepthMask(flag = GL_FALSE)",
             "glDisable(cap = GL_CULL_FACE)",
             "glStencilFunc(func = GL_ALWAYS, ref = 0, mask = 255)",
             "glStencilOpSeparate(face = " + increment + ", " + keep + "dpfail = GL_INCR_WRAP, dppass = GL_KEEP)",
             "glStencilOpSeparate(face = " + decrement + ", " + keep + "dpfail = GL_DECR_WRAP, dppass = GL_KEEP)",
         }},
        {"sky and light",
         {
             "glDisable(cap = GL_DEPTH_CLAMP)",
             "glEnable(cap = GL_CULL_FACE)",
             "glDrawBuffer(mode = " + drawBuffer + ")",
             "glStencilOpSeparate(face = GL_FRONT_AND_BACK, " + keep + "dpfail = GL_KEEP, dppass = GL_KEEP)",
             "glStencilFunc(func = GL_EQUAL, ref = 0, mask = 255)",
         }},
        {"lit", {}},
        {"ambient",
         {
             "glDisable(cap = GL_STENCIL_TEST)",
             "glDepthMask(flag = GL_TRUE)",
             "glEnable(cap = GL_BLEND)",
             "glBlendEquation(mode = GL_FUNC_ADD)",
             "glBlendFunc(sfactor = GL_ONE, dfactor = GL_ONE)",
             "glDisable(cap = GL_BLEND)",
         }},
    };
}

// The draws of each pass are its render lists' objects, as loadScene fills them, one draw
// each (every model has one material): refraction draws the basin, casting the temple's and
// the basin's shadows; reflection the temple and the basin, with the ground casting too;
// screen all four models, the water among them.
struct Pass {
    std::string name;
    bool mirrored;
    std::string drawBuffer;
    size_t depthObjects, shadowCasters, litObjects;
};
const Pass passes[] = {{"refraction", false, "GL_COLOR_ATTACHMENT0", 1, 2, 1},
                       {"reflection", true, "GL_COLOR_ATTACHMENT0", 2, 3, 2},
                       {"screen", false, "GL_BACK", 4, 3, 4}};

std::string dumpOf(const std::string& trace)
{
    return commandOutput("apitrace dump --color=never --call-nos=no '" + trace + "'");
}

// A debug group of a trace, with the calls made directly inside it and its inner groups.
struct Group {
    std::string name;
    Calls calls;
    std::vector<Group> groups;
};

// The first group named "frame" in a dump.
Group firstFrame(const std::string& dump)
{
    std::istringstream lines(dump);
    std::vector<Group> open;
    for (std::string call; std::getline(lines, call);) {
        if (startsWith(call, "glPushDebugGroup(")) {
            const size_t message = call.find("message = \"") + 11;
            open.push_back({call.substr(message, call.rfind('"') - message), {}, {}});
        } else if (startsWith(call, "glPopDebugGroup(") && !open.empty()) {
            Group closed = open.back();
            open.pop_back();
            if (open.empty() && closed.name == "frame")
                return closed;
            if (!open.empty())
                open.back().groups.push_back(closed);
        } else if (!open.empty() && startsWith(call, "gl")) {
            open.back().calls.push_back(call);
        }
    }
    return {};
}

}  // namespace

TEST(FrameTraceProgramTest, OneFrameRendersThreePassesWithTheirFaceAndStencilStateAndNoRepeatedBinds)
{
    const TemporaryDirectory directory("okv-test");
    const std::string trace = (directory.path() / "okv.trace").string();
    // The program takes no arguments, so apitrace is put in front of it by a small script.
    directory.write("traced-okv", "#!/bin/sh\nexec apitrace trace --output='" + trace + "' '" OKV_BINARY "'\n");
    const std::string wrapper = (directory.path() / "traced-okv").string();
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

    std::istringstream dump(dumpOf(trace));
    RepeatedBinds arrays{"glBindVertexArray(array = "}, programs{"glUseProgram(program = "};
    int frame = 0, passCount = 0;
    Calls story;
    for (std::string call; std::getline(dump, call);) {
        frame += startsWith(call, "glXSwapBuffers(");
        // Across the whole run, frames and start-up alike.
        arrays.see(call);
        programs.see(call);
        if (frame != 1)
            continue;
        if (isPassClear(call))
            ++passCount;
        else if (isStateCall(call))
            story.push_back(call);
    }
    ASSERT_GE(frame, 2) << "fewer than two whole frames were traced";
    EXPECT_EQ(arrays.count, 0);
    EXPECT_EQ(programs.count, 0);
    EXPECT_EQ(passCount, 3);
    Calls expected;
    for (const Pass& pass : passes)
        for (const Step& step : passSteps(pass.mirrored, pass.drawBuffer))
            expected.insert(expected.end(), step.stateCalls.begin(), step.stateCalls.end());
    EXPECT_EQ(story, expected);
}

TEST(FrameTraceProgramTest, TheObservedFrameNamesItsPassesAndStepsInOrderAndEachStepMakesItsOwnCallsAndDraws)
{
    const TemporaryDirectory directory("okv-test");
    const std::string trace = (directory.path() / "capture.trace").string();
    const std::string command = "cd '" OKV_DATA_DIR "' && apitrace trace --output='" + trace + "' '" +
                                OKV_CAPTURE_BINARY "' '" + directory.path().string() + "' 320 240 6.7 > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Group frame = firstFrame(dumpOf(trace));
    ASSERT_EQ(frame.groups.size(), 3u) << "passes in the frame";

    for (size_t p = 0; p < 3; ++p) {
        const Group& pass = frame.groups[p];
        SCOPED_TRACE(passes[p].name + " pass");
        EXPECT_EQ(pass.name, passes[p].name);
        // Every call of the pass belongs to one of its steps.
        EXPECT_EQ(pass.calls, Calls{});
        const std::vector<Step> expected = passSteps(passes[p].mirrored, passes[p].drawBuffer);
        ASSERT_EQ(pass.groups.size(), expected.size());
        for (size_t s = 0; s < expected.size(); ++s) {
            SCOPED_TRACE(expected[s].name);
            EXPECT_EQ(pass.groups[s].name, expected[s].name);
            EXPECT_EQ(matching(pass.groups[s].calls, isStateCall), expected[s].stateCalls);
        }

        // What each step draws, and only it.
        const auto callsOf = [&pass](size_t step) { return pass.groups[step].calls; };
        EXPECT_EQ(matching(callsOf(0), isPassClear).size(), 1u);
        EXPECT_EQ(matching(callsOf(0), isDraw), Calls{});
        // The depth of every depth object.
        EXPECT_EQ(matching(callsOf(1), isDraw).size(), passes[p].depthObjects);
        // The casters' adjacency triangles, each told whether its mesh is closed.
        const Calls volumes = matching(callsOf(2), isDraw);
        EXPECT_EQ(volumes.size(), passes[p].shadowCasters);
        EXPECT_EQ(countOf(volumes, "mode = GL_TRIANGLES_ADJACENCY"), volumes.size());
        EXPECT_EQ(countOf(callsOf(2), "name = \"robust\""), volumes.size());
        // The sky box, with its cube map, then the light.
        const Calls skyAndLight = callsOf(3);
        const Calls skyAndLightDraws = matching(skyAndLight, isDraw);
        EXPECT_EQ(skyAndLightDraws.size(), 2u);
        const auto cubeMap = std::find_if(skyAndLight.begin(), skyAndLight.end(), [](const std::string& call) {
            return call.find("target = GL_TEXTURE_CUBE_MAP") != std::string::npos;
        });
        EXPECT_LT(cubeMap - skyAndLight.begin(),
                  std::find_if(skyAndLight.begin(), skyAndLight.end(), isDraw) - skyAndLight.begin());
        // The lit objects, twice.
        EXPECT_EQ(matching(callsOf(4), isDraw).size(), passes[p].litObjects);
        EXPECT_EQ(matching(callsOf(4), isDraw), matching(callsOf(5), isDraw));
    }
}
