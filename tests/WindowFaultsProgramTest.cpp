// The real program while its window is squeezed, hidden and toggled to and from full screen:
// it must go on rendering and answering keys, and end with status 0 on Escape.

#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

void windowCommand(const ProgramRun& program, const std::string& command, const std::string& arguments = "")
{
    commandOutput("xdotool " + command + " " + program.windowId() + " " + arguments + " 2>/dev/null");
}

// Presses "a" and waits for its code among what the program prints from now on: the main
// loop, which also renders, is still turning.
bool answersKey(ProgramRun& program)
{
    const size_t printed = program.standardOutput().size();
    program.pressKey("a");
    return program.waitForOutputAfter(printed, "97", 30);
}

}  // namespace

TEST(WindowFaultsProgramTest, KeepsRenderingAndAnsweringThroughTinyHiddenAndToggledWindows)
{
    ProgramRun program(OKV_DATA_DIR);
    ASSERT_TRUE(program.waitForWindow(60)) << program.standardOutput() << program.standardError();
    ASSERT_TRUE(program.waitForOutput("After loadScene GLErrorCode:0", 60)) << program.standardOutput();

    // The program's own switch to full screen must be over, or it would undo the next step.
    ASSERT_TRUE(program.waitForGeometry(screenGeometry(), 10)) << "never went full screen";
    windowCommand(program, "windowsize", "1 1");
    ASSERT_TRUE(program.waitForGeometry("1x1", 10)) << program.windowGeometry();
    EXPECT_TRUE(answersKey(program)) << "after the resize to 1 x 1";

    // X has no zero-sized windows: the request leaves a height of 1, which the program must
    // survive like the 0 that other window systems report for a minimised window.
    windowCommand(program, "windowsize", "1024 0");
    ASSERT_TRUE(program.waitForGeometry("1024x1", 10)) << program.windowGeometry();
    EXPECT_TRUE(answersKey(program)) << "after the resize to height 0";

    // Without a window manager minimising does nothing, so the window is also unmapped, which
    // stops display callbacks until it is mapped again.
    windowCommand(program, "windowminimize");
    windowCommand(program, "windowunmap");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(program.running()) << program.standardError();
    windowCommand(program, "windowmap");
    windowCommand(program, "windowsize", "800 600");
    ASSERT_TRUE(program.waitForGeometry("800x600", 10)) << program.windowGeometry();
    EXPECT_TRUE(answersKey(program)) << "after the window was restored";
    // The restored window starts black; a picture of the scene there was rendered since.
    EXPECT_TRUE(program.showsAPicture()) << "nothing rendered in the restored window";

    const size_t printed = program.standardOutput().size();
    for (int toggle = 0; toggle < 20; ++toggle)
        program.pressKey("f");
    std::string toggles;
    for (int toggle = 0; toggle < 20; ++toggle)
        toggles += "102";
    EXPECT_TRUE(program.waitForOutputAfter(printed, toggles, 60)) << program.standardOutput().substr(printed);
    EXPECT_TRUE(answersKey(program)) << "after 20 full-screen toggles";

    program.pressKey("Escape");
    EXPECT_EQ(program.waitForExit(30), 0);
    EXPECT_EQ(program.standardError(), "");
}
