#include "app/Renderer.h"

#include <iterator>

namespace {

PathPoint pathPoint(float x, float y, float z, float tangentZ, float outWeight, float inWeight)
{
    return {Vec4(x, y, z, 1.0f), Vec4(0.0f, 0.0f, tangentZ, 0.0f), outWeight, inWeight};
}

PathPoint restingPoint(float y)
{
    return {Vec4(0.0f, y, 0.0f, 1.0f), Vec4(1.0f, 0.0f, 0.0f, 0.0f), 0.0f, 0.0f};
}

}  // namespace

// One loop of eight segments: one and a half turns inside the temple at height 20, a swing
// out, a climb to look at the roof, a rest, and a sweep back to the start.
void Renderer::buildCameraPaths()
{
    const PathPoint eyePoints[] = {
        pathPoint(30, 20, 0, 1, 30, 100),    // inside the temple
        pathPoint(-30, 20, 0, -1, 30, 30),   // half a turn
        pathPoint(30, 20, 0, 1, 30, 30),     // a whole turn
        pathPoint(-30, 20, 0, -1, 30, 30),   // one and a half turns
        pathPoint(130, 50, 0, 1, 1, 100),    // swung out
        pathPoint(60, 120, 0, 1, 0, 0),      // above the temple, looking at its roof
        pathPoint(60, 120, 0, 1, 0, 0),      // at rest there
        pathPoint(130, 50, 70, -1, 60, 30),  // sweeping back to the start
    };
    camera.eyePath.points.insert(camera.eyePath.points.end(), std::begin(eyePoints), std::end(eyePoints));
    camera.eyePath.loop = true;

    // The target rests at the origin for five points, then at the roof for three.
    camera.targetPath.points.insert(camera.targetPath.points.end(), 5, restingPoint(0.0f));
    camera.targetPath.points.insert(camera.targetPath.points.end(), 3, restingPoint(80.0f));
    camera.targetPath.loop = true;
}
