#include "app/FrameObserver.h"

const char* nameOf(ScenePass pass)
{
    static const char* const names[scenePassCount] = {"refraction", "reflection", "screen"};
    return names[int(pass)];
}

const char* nameOf(SceneStep step)
{
    static const char* const names[sceneStepCount] = {"clear", "depth pre-pass", "shadow volumes",
                                                      "sky and light", "lit", "ambient"};
    return names[int(step)];
}
