#pragma once

// The real scene in a window, started through the program's own steps, for the tools that
// render, time or picture its frames. Start them from the data directory, like the program.

#include <chrono>

// When each step of the start-up ended, each finished on the GPU (glFinish).
struct SceneStart {
    using Clock = std::chrono::steady_clock;
    Clock::time_point began, windowCreated, shadersBuilt, sceneLoaded;
};

// Renderer::initWindow, initShaders and loadScene, as the program's entry point calls them.
// Only programName goes to freeglut.
SceneStart startScene(char* programName);

// Asks for a window of width x height (leaving full screen first) and runs the window
// system's events, frames the main loop asks for included, until the window is shown at that
// size and reshape has run for it; then renders and swaps one frame, since Mesa's software
// buffers take a new size only at a swap. False, with a line on standard error, when that
// has not happened within a minute.
bool resizeWindow(int width, int height);

// startScene, then resizeWindow.
bool openSceneWindow(char* programName, int width, int height);
