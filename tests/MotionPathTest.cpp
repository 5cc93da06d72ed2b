#include "app/Renderer.h"
#include "math/Camera.h"
#include "math/MotionPath.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

void expectVec(const Vec4& actual, const Vec4& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

// The installed paths, built once per process because building appends to the camera.
const Camera& installedCamera()
{
    Renderer& renderer = Renderer::instance();
    if (renderer.camera.eyePath.points.empty())
        renderer.buildCameraPaths();
    return renderer.camera;
}

} // namespace

TEST(MotionPathTest, InstalledCameraPathsPassThroughTheirPointsAndCurveAsDesigned)
{
    const Camera& camera = installedCamera();
    const MotionPath& eye = camera.eyePath;
    const MotionPath& target = camera.targetPath;
    ASSERT_EQ(eye.points.size(), 8u);
    ASSERT_EQ(target.points.size(), 8u);
    EXPECT_TRUE(eye.loop);
    EXPECT_TRUE(target.loop);

    // Mid-segment values depend on every tangent and weight of the two points involved.
    struct Case {
        const MotionPath& path;
        float t;
        Vec4 expected;
    };
    const Case cases[] = {
        {eye, 0.0f, {30, 20, 0, 1}},
        {eye, 0.5f, {0, 20, 22.5f, 1}},
        {eye, 1.0f, {-30, 20, 0, 1}},
        {eye, 1.5f, {0, 20, -22.5f, 1}},
        // Segment 3: B1 = (-30, 20, -30), B2 = (130, 50, -100).
        {eye, 3.5f, {50, 35, -48.75f, 1}},
        // Segment 4: B1 = (130, 50, 1), B2 = B3 = (60, 120, 0).
        {eye, 4.5f, {95, 85, 0.375f, 1}},
        // Segment 7 closes the loop: B1 = (130, 50, 10), B2 = (30, 20, -100).
        {eye, 7.5f, {80, 35, -25, 1}},
        {eye, 8.0f, {30, 20, 0, 1}},
        {eye, 8.5f, {0, 20, 22.5f, 1}},
        {target, 4.5f, {0, 40, 0, 1}},
        {target, 5.5f, {0, 80, 0, 1}},
        {target, 7.5f, {0, 40, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        expectVec(c.path.evaluate(c.t), c.expected);
    }
}

TEST(MotionPathTest, DegeneratePathsAndTheOpenAndLoopingSegmentRules)
{
    MotionPath empty;
    MotionPath single;
    single.points.push_back({{4, -5, 6, 0.25f}, {1, 1, 1, 0}, 3, 3});
    single.loop = true;
    for (float t : {0.0f, 0.5f, 3.0f, 17.25f, -2.5f}) {
        SCOPED_TRACE(t);
        expectVec(empty.evaluate(t), Vec4(0, 0, 0, 1), 0.0f);
        expectVec(single.evaluate(t), Vec4(4, -5, 6, 0.25f), 0.0f);
    }

    // One segment: it repeats every unit and jumps back to the first point at whole t.
    MotionPath open;
    open.points.push_back({{0, 0, 0, 1}, {0, 3, 0, 0}, 1, 1});
    open.points.push_back({{6, 0, 0, 1}, {0, 3, 0, 0}, 1, 1});
    for (float t : {0.0f, 0.25f, 0.5f, 0.9f}) {
        SCOPED_TRACE(t);
        expectVec(open.evaluate(t + 1.0f), open.evaluate(t));
        expectVec(open.evaluate(t + 3.0f), open.evaluate(t));
    }
    expectVec(open.evaluate(2.0f), Vec4(0, 0, 0, 1), 0.0f);
    // B = (0,0,0), (0,3,0), (6,-3,0), (6,0,0).
    expectVec(open.evaluate(0.5f), Vec4(3, 0, 0, 1));
    expectVec(open.evaluate(0.25f), Vec4(0.9375f, 0.84375f, 0, 1));
    expectVec(open.evaluate(0.999f), Vec4(6, 0, 0, 1), 0.02f);

    // Looping, the last segment runs from the last point back to the first.
    MotionPath triangle;
    triangle.points.push_back({{0, 0, 0, 1}, {0, 0, 1, 0}, 2, 4});
    triangle.points.push_back({{10, 0, 0, 1}, {0, 0, 1, 0}, 0, 0});
    triangle.points.push_back({{10, 10, 0, 1}, {0, 0, 1, 0}, 8, 0});
    triangle.loop = true;
    expectVec(triangle.evaluate(2.0f), Vec4(10, 10, 0, 1));
    // B = (10,10,0), (10,10,8), (0,0,-4), (0,0,0).
    expectVec(triangle.evaluate(2.5f), Vec4(5, 5, 1.5f, 1));
    expectVec(triangle.evaluate(2.999f), Vec4(0, 0, 0, 1), 0.05f);
    expectVec(triangle.evaluate(3.0f), Vec4(0, 0, 0, 1));
    triangle.loop = false;
    expectVec(triangle.evaluate(2.5f), triangle.evaluate(0.5f));
}

TEST(MotionPathTest, NegativeParametersWrapBackwardsWithoutLeavingThePoints)
{
    const MotionPath& eye = installedCamera().eyePath;
    struct Case {
        float negative;
        float equivalent;
    };
    for (const Case& c : {Case{-0.5f, 7.5f}, Case{-8.0f, 0.0f}, Case{-1.0f, 7.0f}, Case{-3.25f, 4.75f},
                          Case{-16.5f, 7.5f}}) {
        SCOPED_TRACE(c.negative);
        expectVec(eye.evaluate(c.negative), eye.evaluate(c.equivalent));
    }

    MotionPath open;
    open.points.push_back({{0, 0, 0, 1}, {1, 0, 0, 0}, 1, 1});
    open.points.push_back({{4, 4, 0, 1}, {1, 0, 0, 0}, 1, 1});
    expectVec(open.evaluate(-0.25f), open.evaluate(0.75f));
    expectVec(open.evaluate(-2.0f), Vec4(0, 0, 0, 1));

    // Just below zero the wrapped parameter rounds up to the segment count itself: the start
    // index must stay on the last point and the result be the end of the last segment.
    expectVec(eye.evaluate(-1e-8f), Vec4(30, 20, 0, 1));
    expectVec(open.evaluate(-1e-8f), Vec4(4, 4, 0, 1));
}

TEST(CameraTest, UpdatePlacesTheEyeOnItsPathLookingAtTheTargetPoint)
{
    Camera camera;
    camera.eyePath = installedCamera().eyePath;
    camera.targetPath = installedCamera().targetPath;

    camera.update(0.0f);
    expectVec(camera.getPosition(), Vec4(30, 20, 0, 1), 0.0f);
    expectVec(camera.local * Vec4(30, 20, 0, 1), Vec4(0, 0, 0, 1));
    expectVec(camera.local * Vec4(0, 0, 0, 1), Vec4(0, 0, -std::sqrt(1300.0f), 1));
    // The world's up stays up on screen: a point above the target projects above it.
    EXPECT_GT((camera.local * Vec4(0, 5, 0, 1)).y, 0.0f);
    EXPECT_EQ(camera.worldMatrix().m, camera.local.m);

    // Eye and target are read at the same parameter.
    for (float t : {0.5f, 4.5f, 7.25f}) {
        SCOPED_TRACE(t);
        camera.update(t);
        const Vec4 eye = camera.eyePath.evaluate(t);
        const Vec4 target = camera.targetPath.evaluate(t);
        expectVec(camera.getPosition(), eye, 0.0f);
        expectVec(camera.local * eye, Vec4(0, 0, 0, 1), 1e-3f);
        expectVec(camera.local * target, Vec4(0, 0, -(target - eye).length(), 1), 1e-3f);
    }
}
