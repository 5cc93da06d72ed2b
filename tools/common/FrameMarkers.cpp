#include "FrameMarkers.h"

#include <GL/glew.h>

namespace {

void push(const char* name)
{
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 0, -1, name);
}

}  // namespace

void FrameMarkers::beforeFrame()
{
    push("frame");
}

void FrameMarkers::afterFrame()
{
    glPopDebugGroup();
}

void FrameMarkers::beforePass(ScenePass pass, bool)
{
    push(nameOf(pass));
}

void FrameMarkers::afterPass(ScenePass, bool)
{
    glPopDebugGroup();
}

void FrameMarkers::beforeStep(SceneStep step)
{
    push(nameOf(step));
}

void FrameMarkers::afterStep(SceneStep)
{
    glPopDebugGroup();
}
