#include "scene/Light.h"

#include "gl/ProgramCache.h"
#include "gl/Uniforms.h"

void Light::draw()
{
    // The second call is deliberate and harmless: the program is current by then, so the
    // cache makes no GL call.
    useProgram(*program);
    useProgram(*program);
    setUniform4(*program, "ambientColor", getColor());
    setUniform(*program, "ModelMatrix", worldMatrix());
    if (mesh)
        mesh->draw(0, mesh->indexCount);
}

Vec4 Light::getColor() const
{
    return {color[0], color[1], color[2], color[3]};
}

Vec4 Light::getWorldPosition() const
{
    const Mat4 world = worldMatrix();
    return {world[12], world[13], world[14], 1.0f};
}

void Light::animate(float t)
{
    const AxisScales scales = axisScales(local);
    Mat4 scaleOnly;
    scaleOnly[0] = scales.x;
    scaleOnly[5] = scales.y;
    scaleOnly[10] = scales.z;
    local = Mat4();
    preMultiply(local, scaleOnly);
    const Vec4 point = path.evaluate(t);
    translate(local, point.x, point.y, point.z, Global);
}
