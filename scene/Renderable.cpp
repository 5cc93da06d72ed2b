#include "scene/Renderable.h"

Renderable::~Renderable()
{
    program = nullptr;
    mesh = nullptr;
}
