#include "app/Callbacks.h"

#include "app/Renderer.h"

#include <GL/freeglut.h>
#include <cstdio>

namespace {

constexpr unsigned char escapeKey = 27;

}  // namespace

void displayCallback()
{
    Renderer::instance().renderFrame();
}

void reshapeCallback(int width, int height)
{
    Renderer::instance().reshape(width, height);
}

void keyboardCallback(unsigned char key, int, int)
{
    Renderer::instance();
    std::printf("%d", key);
    std::fflush(stdout);
    if (key == escapeKey)
        glutLeaveMainLoop();
    else if (key == 'f')
        glutFullScreenToggle();
}
