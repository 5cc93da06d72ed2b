#include "math/Camera.h"

void Camera::update(float t)
{
    position = eyePath.evaluate(t);
    const Vec4 target = targetPath.evaluate(t);
    lookAt(local, position, target, Vec4(0.0f, 1.0f, 0.0f, 1.0f));
}

Vec4 Camera::getPosition() const
{
    return position;
}
