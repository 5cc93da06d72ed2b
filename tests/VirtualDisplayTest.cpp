// The display fixture that every GL and program test needs (scripts/virtual-x-server.sh
// start, run by CTest before them). Where Xvfb is missing it passes and the tests skip, saying
// why; where Xvfb is installed but does not start, that is a fault, and the fixture fails.

#include "ProgramRun.h"
#include "common/TemporaryDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(VirtualDisplayTest, XvfbThatIsInstalledButDoesNotStartFailsTheFixture)
{
    const TemporaryDirectory directory("okv-test");
    // Ends at once, as an Xvfb does that cannot open its display.
    directory.write("bin/Xvfb", "#!/bin/sh\nexit 1\n");
    ASSERT_EQ(chmod((directory.path() / "bin/Xvfb").c_str(), 0755), 0);
    const std::filesystem::path displayFile = directory.path() / "virtual-display";
    const std::string printed =
        commandOutput("env -u DISPLAY PATH='" + (directory.path() / "bin").string() + ":" + std::getenv("PATH") +
                      "' '" OKV_VIRTUAL_X_SERVER_SCRIPT "' start '" + displayFile.string() + "' 2>&1; echo status $?");
    EXPECT_EQ(printed, "Xvfb did not start\nstatus 1\n");
    // The tests behind the fixture would find no display named in it.
    EXPECT_FALSE(std::filesystem::exists(displayFile));
}
