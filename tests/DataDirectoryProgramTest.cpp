// The real program started outside its data directory: it finds the data beside its real
// executable, or says what is missing and ends before opening a window.

#include "GLTestSupport.h"
#include "ProgramRun.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

// As people install what they build: a link to the program in a folder on PATH, started by its
// bare name. Neither the name it was started by ("okv") nor the link's folder leads to the
// data; only the real executable's own path does.
TEST(DataDirectoryProgramTest, StartedThroughALinkOnPathFromAnotherDirectoryItRendersTheSceneFromTheDataBesideIt)
{
    const TemporaryDirectory links("okv-test");
    fs::create_symlink(OKV_BINARY, links.path() / "okv");
    const std::string path = std::getenv("PATH");
    setenv("PATH", (links.path().string() + ":" + path).c_str(), 1);
    const TemporaryDirectory elsewhere("okv-test");
    ProgramRun program(elsewhere.path().string(), "okv");
    setenv("PATH", path.c_str(), 1);
    ASSERT_TRUE(program.waitForWindow(60)) << program.standardOutput() << program.standardError();
    ASSERT_TRUE(program.waitForOutput("After loadScene GLErrorCode:0", 60)) << program.standardOutput();
    EXPECT_TRUE(program.showsAPicture()) << "the window stays black";
    program.pressKey("Escape");
    EXPECT_EQ(program.waitForExit(30), 0);

    const std::string output = program.standardOutput();
    const std::string notice =
        "Using the data directory beside the program: " + fs::canonical(OKV_DATA_DIR).string() + "\n";
    EXPECT_EQ(output.substr(0, notice.size()), notice) << output.substr(0, 400);
    EXPECT_EQ(output.find("not created"), std::string::npos) << "something was not loaded";
    EXPECT_EQ(program.standardError(), "");
    // The import log goes where the data is; the directory it was started in stays untouched.
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

TEST(DataDirectoryProgramTest, WithNoDataAnywhereItSaysWhatIsMissingInOneLineAndEndsWithoutAWindow)
{
    // A copy of the program with no data directory beside it, started from an empty directory.
    const TemporaryDirectory elsewhere("okv-test");
    const fs::path binary = elsewhere.path() / "bin" / "okv";
    fs::create_directories(binary.parent_path());
    fs::copy_file(OKV_BINARY, binary);
    const fs::path startedIn = elsewhere.path() / "empty";
    fs::create_directories(startedIn);

    ProgramRun program(startedIn.string(), binary.string());
    const int status = program.waitForExit(10);
    EXPECT_GT(status, 0) << "status " << status << " (-1: still running after 10 seconds)";
    EXPECT_EQ(program.standardOutput(), "") << "it went on to start the demo";
    const std::string error = program.standardError();
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    for (const std::string& part : {startedIn.string(), (binary.parent_path() / "data").string(), std::string("GLSL"),
                                    std::string("models/"), std::string("images/")})
        EXPECT_NE(error.find(part), std::string::npos) << "\"" << part << "\" not named in: " << error;
}
