#pragma once

// The real scene in a window of a chosen size, built through the program's own steps, for the
// tools that write pictures of its frames. Start them from the data directory, like the
// program.

#include <string>
#include <vector>

// Creates the window and its context, the programs and the scene (Renderer::initWindow,
// initShaders, loadScene) and waits until the window is shown at width x height. Only
// programName goes to freeglut. False when the window did not become that size.
bool openSceneWindow(char* programName, int width, int height);

// Renders the frame at a fixed animation time: the clock step inside renderFrame is the
// fraction of a millisecond since this call began.
void renderFrameAt(float animationTime);

// Writes 8-bit RGB pixels, bottom row first as glReadPixels returns them, as a PNG file.
bool writePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);
