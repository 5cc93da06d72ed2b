#include "math/MotionPath.h"
#include "app/Renderer.h"
#include "math/Camera.h"

#include <gtest/gtest.h>

namespace {

// Within tolerance of the expected point, all four components counted.
void expectVec(const Vec4& actual, const Vec4& expected, float tolerance = 1e-4f)
{
    EXPECT_LE((actual - expected).length(), tolerance)
        << actual.x << ", " << actual.y << ", " << actual.z << ", " << actual.w;
}

// Built once per process, because building appends to the camera's paths.
const Camera& installedCamera()
{
    Renderer& renderer = Renderer::instance();
    if (renderer.camera.eyePath.points.empty())
        renderer.buildCameraPaths();
    return renderer.camera;
}

MotionPath pathThrough(std::vector<PathPoint> points, bool loop)
{
    MotionPath path;
    path.points = std::move(points);
    path.loop = loop;
    return path;
}

}  // namespace

TEST(MotionPathTest, DegenerateOpenLoopingAndNegativeParameters)
{
    const MotionPath empty;
    const MotionPath single = pathThrough({{{4, -5, 6, 0.25f}, {1, 1, 1, 0}, 3, 3}}, true);
    for (float t : {0.0f, 0.5f, 17.25f, -2.5f}) {
        SCOPED_TRACE(t);
        expectVec(empty.evaluate(t), Vec4(0, 0, 0, 1), 0.0f);
        expectVec(single.evaluate(t), Vec4(4, -5, 6, 0.25f), 0.0f);
    }

    // One segment, B = (0,0,0), (0,3,0), (6,-3,0), (6,0,0): it repeats every unit, so at a
    // whole t it jumps back from the last point to the first.
    const MotionPath open =
        pathThrough({{{0, 0, 0, 1}, {0, 3, 0, 0}, 1, 1}, {{6, 0, 0, 1}, {0, 3, 0, 0}, 1, 1}}, false);
    expectVec(open.evaluate(0.25f), Vec4(0.9375f, 0.84375f, 0, 1));
    expectVec(open.evaluate(3.25f), Vec4(0.9375f, 0.84375f, 0, 1));
    expectVec(open.evaluate(0.999f), Vec4(6, 0, 0, 1), 0.02f);
    expectVec(open.evaluate(2.0f), Vec4(0, 0, 0, 1), 0.0f);
    expectVec(open.evaluate(-0.75f), Vec4(0.9375f, 0.84375f, 0, 1));

    // Looping, the last segment runs from the last point back to the first:
    // B = (10,10,0), (10,10,8), (0,0,-4), (0,0,0).
    MotionPath triangle = pathThrough(
        {{{0, 0, 0, 1}, {0, 0, 1, 0}, 2, 4}, {{10, 0, 0, 1}, {0, 0, 1, 0}, 0, 0}, {{10, 10, 0, 1}, {0, 0, 1, 0}, 8, 0}},
        true);
    expectVec(triangle.evaluate(2.5f), Vec4(5, 5, 1.5f, 1));
    expectVec(triangle.evaluate(3.0f), Vec4(0, 0, 0, 1));
    triangle.loop = false;
    expectVec(triangle.evaluate(2.5f), triangle.evaluate(0.5f));

    // A negative t wraps backwards. Just below zero the wrapped parameter rounds up to the
    // segment count itself: the result must be the end of the last segment.
    const MotionPath& eye = installedCamera().eyePath;
    expectVec(eye.evaluate(-0.5f), eye.evaluate(7.5f));
    expectVec(eye.evaluate(-16.75f), eye.evaluate(7.25f));
    expectVec(eye.evaluate(-1e-8f), Vec4(30, 20, 0, 1));
    expectVec(open.evaluate(-1e-8f), Vec4(6, 0, 0, 1));
}
