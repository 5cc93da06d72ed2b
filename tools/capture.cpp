// okv_capture OUTPUT_DIRECTORY WIDTH HEIGHT TIME...
//
// Renders the real scene at fixed animation times and writes each frame as
// OUTPUT_DIRECTORY/okv-TIME.png. Start it from the data directory, like the program: it builds
// the scene through the same steps (window, programs, scene) and renders with renderFrame.

#include "app/Renderer.h"

#include <GL/freeglut.h>
#include <IL/il.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

bool exposed = false;  // the window has been mapped and drawn once

void markExposed()
{
    exposed = true;
}

// freeglut's reshape callback only runs once the X server has acknowledged the new size,
// and a window that is not mapped yet has no pixels to read: until both events arrived,
// the default framebuffer is not the one we want to read.
bool showWindow(Renderer& renderer, int width, int height)
{
    glutDisplayFunc(markExposed);
    glutReshapeWindow(width, height);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        glutMainLoopEvent();
        if (exposed && renderer.windowWidth == width && renderer.windowHeight == height &&
            glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height)
            return true;
        usleep(1000);
    }
    return false;
}

bool writeImage(const std::string& path, int width, int height)
{
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // glReadPixels returns the bottom row first, which is DevIL's lower-left origin.
    const bool saved = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data()) &&
                       ilSave(IL_PNG, path.c_str());
    ilDeleteImages(1, &image);
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY WIDTH HEIGHT TIME...\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);

    // Only the program's name goes to freeglut; the other arguments are ours.
    int glutArgc = 1;
    Renderer& renderer = Renderer::instance();
    renderer.initWindow(&glutArgc, argv);
    renderer.initShaders();
    renderer.loadScene();
    if (!showWindow(renderer, width, height)) {
        std::fprintf(stderr, "the window did not become %dx%d\n", width, height);
        return 1;
    }

    ilInit();
    ilEnable(IL_FILE_OVERWRITE);
    int failures = 0;
    for (int i = 4; i < argc; ++i) {
        // Mesa's software GLX reads the front buffer of a double-buffered window back as
        // black, so the frame is read from the back buffer after the swap. Rendering the same
        // moment twice makes that buffer hold it whether the swap copies or exchanges.
        for (int repeat = 0; repeat < 2; ++repeat) {
            renderer.animationTime = std::strtof(argv[i], nullptr);
            renderer.lastFrameTime = glutGet(GLUT_ELAPSED_TIME);
            renderer.renderFrame();
        }
        glFinish();
        const std::string path = directory + "/okv-" + argv[i] + ".png";
        if (writeImage(path, width, height)) {
            std::printf("wrote %s (animation time %.4f)\n", path.c_str(), renderer.animationTime);
        } else {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            ++failures;
        }
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
