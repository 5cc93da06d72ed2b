#include "SceneWindow.h"

#include "app/Renderer.h"

#include <GL/freeglut.h>
#include <IL/il.h>
#include <chrono>
#include <thread>

namespace {

bool exposed = false;  // the window has been mapped and drawn once

void markExposed()
{
    exposed = true;
}

} // namespace

bool openSceneWindow(char* programName, int width, int height)
{
    int glutArgc = 1;
    char* glutArgv[] = {programName, nullptr};
    Renderer& renderer = Renderer::instance();
    renderer.initWindow(&glutArgc, glutArgv);
    renderer.initShaders();
    renderer.loadScene();

    // freeglut's reshape callback only runs once the X server has acknowledged the new size,
    // and a window that is not mapped yet has no pixels to read: until both events arrived,
    // the default framebuffer is not the one we want to read.
    glutDisplayFunc(markExposed);
    glutReshapeWindow(width, height);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        glutMainLoopEvent();
        if (exposed && renderer.windowWidth == width && renderer.windowHeight == height &&
            glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height) {
            // Mesa's software buffers take the window's new size at a buffer swap: until one
            // frame has been swapped, the next is drawn into buffers of the old size.
            renderFrameAt(0.0f);
            glFinish();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void renderFrameAt(float animationTime)
{
    Renderer& renderer = Renderer::instance();
    renderer.animationTime = animationTime;
    renderer.lastFrameTime = glutGet(GLUT_ELAPSED_TIME);
    renderer.renderFrame();
}

bool writePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb)
{
    static const bool started = (ilInit(), ilEnable(IL_FILE_OVERWRITE), true);
    (void)started;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // Bottom row first is DevIL's lower-left origin.
    const bool saved = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                                  const_cast<unsigned char*>(rgb.data())) &&
                       ilSave(IL_PNG, path.c_str());
    ilDeleteImages(1, &image);
    return saved;
}
