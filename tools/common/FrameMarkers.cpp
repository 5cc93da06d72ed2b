#include "FrameMarkers.h"

#include <GL/glew.h>

namespace {

void push(const char* name)
{
    if (GLEW_KHR_debug)
        glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 0, -1, name);
}

void pop()
{
    if (GLEW_KHR_debug)
        glPopDebugGroup();
}

}  // namespace

void FrameMarkers::beforeFrame()
{
    push("frame");
}

void FrameMarkers::afterFrame()
{
    pop();
}

void FrameMarkers::beforePass(ScenePass pass, bool)
{
    push(nameOf(pass));
}

void FrameMarkers::afterPass(ScenePass, bool)
{
    pop();
}

void FrameMarkers::beforeStep(SceneStep step)
{
    push(nameOf(step));
}

void FrameMarkers::afterStep(SceneStep)
{
    pop();
}
