#include "SceneWindow.h"

#include "app/Renderer.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <thread>

namespace {

// Whether the window is mapped: before that it has no pixels to read.
bool shown = false;

void noteWindowStatus(int state)
{
    shown = state != GLUT_HIDDEN;
}

}  // namespace

SceneStart startScene(char* programName)
{
    SceneStart start;
    start.began = SceneStart::Clock::now();
    int glutArgc = 1;
    char* glutArgv[] = {programName, nullptr};
    Renderer& renderer = Renderer::instance();
    renderer.initWindow(&glutArgc, glutArgv);
    glutWindowStatusFunc(noteWindowStatus);
    glFinish();
    start.windowCreated = SceneStart::Clock::now();
    renderer.initShaders();
    glFinish();
    start.shadersBuilt = SceneStart::Clock::now();
    renderer.loadScene();
    glFinish();
    start.sceneLoaded = SceneStart::Clock::now();
    return start;
}

bool resizeWindow(int width, int height)
{
    Renderer& renderer = Renderer::instance();
    // Leaving full screen restores the earlier size, which would overwrite a size asked for
    // before it arrived.
    if (glutGet(GLUT_FULL_SCREEN)) {
        glutLeaveFullScreen();
        for (int event = 0; event < 20 && glutGet(GLUT_FULL_SCREEN); ++event)
            glutMainLoopEvent();
    }
    glutReshapeWindow(width, height);
    // freeglut's reshape callback runs only once the X server has acknowledged the new size.
    const auto end = SceneStart::Clock::now() + std::chrono::minutes(1);
    while (SceneStart::Clock::now() < end) {
        glutMainLoopEvent();
        if (shown && renderer.windowWidth == width && renderer.windowHeight == height &&
            glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height) {
            renderer.renderFrameAt(0.0f);
            glutSwapBuffers();
            glFinish();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::fprintf(stderr, "asked for a %dx%d window, it is %dx%d\n", width, height, renderer.windowWidth,
                 renderer.windowHeight);
    return false;
}

bool openSceneWindow(char* programName, int width, int height)
{
    startScene(programName);
    return resizeWindow(width, height);
}
