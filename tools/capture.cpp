// okv_capture OUTPUT_DIRECTORY WIDTH HEIGHT TIME...
//
// Renders the real scene at fixed animation times and writes each frame as
// OUTPUT_DIRECTORY/okv-TIME.png. Start it from the data directory, like the program: it builds
// the scene through the same steps (window, programs, scene) and renders with renderFrameAt.
// Its frames carry the names of their passes and steps (FrameMarkers.h), for a trace of them.

#include "app/Renderer.h"
#include "common/FrameMarkers.h"
#include "common/ReadBack.h"
#include "common/SceneWindow.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY WIDTH HEIGHT TIME...\n", argv[0]);
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::error_code ignored;  // a directory that cannot be made shows as files not written
    std::filesystem::create_directories(directory, ignored);
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    if (!openSceneWindow(argv[0], width, height))
        return 1;

    Renderer& renderer = Renderer::instance();
    FrameMarkers markers;
    renderer.frameObserver = &markers;
    int failures = 0;
    for (int i = 4; i < argc; ++i) {
        // Read from the back buffer before any swap: Mesa's software GLX reads the front
        // buffer of a double-buffered window back as black.
        const float animationTime = std::strtof(argv[i], nullptr);
        renderer.renderFrameAt(animationTime);
        glReadBuffer(GL_BACK);
        const std::string path = (directory / ("okv-" + std::string(argv[i]) + ".png")).string();
        if (writeImage(path, readColour(width, height))) {
            std::printf("wrote %s (animation time %.4f)\n", path.c_str(), animationTime);
        } else {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            ++failures;
        }
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
