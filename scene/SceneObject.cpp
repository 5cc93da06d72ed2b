#include "scene/SceneObject.h"

Mat4 SceneObject::worldMatrix() const
{
    Mat4 world = local;
    if (parent)
        preMultiply(world, parent->worldMatrix());
    if (reflected)
        preMultiply(world, reflection);
    return world;
}
