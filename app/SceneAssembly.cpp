#include "app/Renderer.h"

#include <cstdio>

void Renderer::loadScene()
{
    animationTime = 0.0f;
    std::printf("After loadScene GLErrorCode:%d\n", glGetError());
    std::fflush(stdout);
}
