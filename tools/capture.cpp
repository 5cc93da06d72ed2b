// okv_capture OUTPUT_DIRECTORY WIDTH HEIGHT TIME...
//
// Renders the real scene at fixed animation times and writes each frame as
// OUTPUT_DIRECTORY/okv-TIME.png. Start it from the data directory, like the program: it builds
// the scene through the same steps (window, programs, scene) and renders with renderFrame.

#include "SceneWindow.h"

#include <GL/glew.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY WIDTH HEIGHT TIME...\n", argv[0]);
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    if (!openSceneWindow(argv[0], width, height)) {
        std::fprintf(stderr, "the window did not become %dx%d\n", width, height);
        return 1;
    }

    int failures = 0;
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3);
    for (int i = 4; i < argc; ++i) {
        // Mesa's software GLX reads the front buffer of a double-buffered window back as
        // black, so the frame is read from the back buffer after the swap. Rendering the same
        // moment twice makes that buffer hold it whether the swap copies or exchanges.
        const float animationTime = std::strtof(argv[i], nullptr);
        renderFrameAt(animationTime);
        renderFrameAt(animationTime);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        const std::string path = (directory / ("okv-" + std::string(argv[i]) + ".png")).string();
        if (writePng(path, width, height, pixels)) {
            std::printf("wrote %s (animation time %.4f)\n", path.c_str(), animationTime);
        } else {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            ++failures;
        }
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
