#include "app/FrameObserver.h"

#include <iterator>

const char* nameOf(ScenePass pass)
{
    static const char* const names[] = {"refraction", "reflection", "screen"};
    static_assert(std::size(names) == scenePassCount);
    return names[int(pass)];
}

const char* nameOf(SceneStep step)
{
    static const char* const names[] = {"clear", "depth pre-pass", "shadow volumes", "sky and light", "lit", "ambient"};
    static_assert(std::size(names) == sceneStepCount);
    return names[int(step)];
}
