#include "app/Renderer.h"

void Renderer::loadScene()
{
    animationTime = 0.0f;
}
