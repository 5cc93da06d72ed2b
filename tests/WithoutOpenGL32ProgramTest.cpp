// The real program on a display without OpenGL 3.2: Mesa told to offer less. It must say in
// one line on standard error what it needs, what the display offers and what to try, and end
// with status 1 before start-up goes on.

#include "ProgramRun.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace {

// The rest of the line that starts with label in text; empty without one.
std::string lineAfter(const std::string& text, const std::string& label)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind(label, 0) == 0)
            return line.substr(label.size());
    return {};
}

}  // namespace

TEST(WithoutOpenGL32ProgramTest, SaysInOneLineWhatTheDisplayOffersAndEndsWithStatus1)
{
    struct MesaDisplay {
        std::vector<std::string> settings;
        const char* offers;  // in glxinfo's words, which the line must repeat; null: no context at all
    };
    // 3.1: every context Mesa makes names that version, and none is a 3.2 core context. 0.5: no
    // version Mesa can make, so there is no context of any version to ask.
    const MesaDisplay displays[] = {
        {{"MESA_GL_VERSION_OVERRIDE=3.1", "MESA_GLSL_VERSION_OVERRIDE=140"}, "3.1 Mesa"},
        {{"MESA_GL_VERSION_OVERRIDE=0.5"}, nullptr},
    };
    for (const MesaDisplay& display : displays) {
        std::string settings;
        for (const std::string& setting : display.settings)
            settings += setting + " ";
        SCOPED_TRACE(settings);
        // What glxinfo, another program on the same display, makes of it.
        const std::string glxinfo = commandOutput(settings + "glxinfo -B 2>&1");
        const std::string version = lineAfter(glxinfo, "OpenGL version string: ");
        const std::string renderer = lineAfter(glxinfo, "OpenGL renderer string: ");
        if (display.offers)
            ASSERT_EQ(version.rfind(display.offers, 0), 0u) << "not Mesa, or it ignores the setting:\n" << glxinfo;
        else
            ASSERT_EQ(version, "") << glxinfo;

        ProgramRun program(OKV_DATA_DIR, OKV_BINARY, display.settings);
        EXPECT_EQ(program.waitForExit(30), 1);
        EXPECT_EQ(program.standardOutput(), "") << "start-up went on";
        const std::string error = program.standardError();
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
        EXPECT_TRUE(!error.empty() && error.back() == '\n') << error;
        const std::string offered =
            version.empty() ? "no OpenGL context of any version" : "offers OpenGL " + version + " on " + renderer + ".";
        for (const std::string& part :
             {std::string("OKV needs OpenGL 3.2 (core profile)"), offered, std::string("LIBGL_ALWAYS_SOFTWARE=1")})
            EXPECT_NE(error.find(part), std::string::npos) << "\"" << part << "\" not named in: " << error;
    }
}
