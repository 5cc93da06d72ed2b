// The frame's clock: how far the animation moves for the milliseconds that passed, and where
// that puts the camera, the light and the waves.

#include "ScenePassSupport.h"

#include <cmath>
#include <vector>

namespace {

std::vector<float> xyz(const Vec4& v)
{
    return {v.x, v.y, v.z};
}

// Renders a frame as if elapsed milliseconds had passed since the previous one; returns the
// milliseconds the frame actually counted (a few more may pass while the test runs).
int frameAfter(Renderer& renderer, int elapsed)
{
    renderer.lastFrameTime = glutGet(GLUT_ELAPSED_TIME) - elapsed;
    const int32_t previous = renderer.lastFrameTime;
    renderer.renderFrame();
    return renderer.lastFrameTime - previous;
}

} // namespace

TEST(FrameRenderingGLTest, TheClockMovesCameraLightAndWavesByTheElapsedTimeAndTheWavePhaseWraps)
{
    Renderer& renderer = rendererWithScene();
    renderer.animationTime = 0.0f;
    const int counted = frameAfter(renderer, 5000);
    ASSERT_GE(counted, 5000);
    ASSERT_LT(counted, 6000);
    EXPECT_EQ(renderer.animationTime, float(counted) * 0.0002f);
    const float t = renderer.animationTime;

    // The camera runs at half the clock and the light at a third, each on its own path.
    const std::vector<float> eye = xyz(renderer.camera.getPosition());
    EXPECT_EQ(eye, xyz(renderer.camera.eyePath.evaluate(t * 0.5f)));
    EXPECT_EQ(xyz(renderer.light.getWorldPosition()), xyz(renderer.light.path.evaluate(t / 3.0f)));
    EXPECT_FLOAT_EQ(uniformFloat(renderer.waterProgram, "time"), t * 0.6f);

    // The water's glint and every lit program see this frame's eye and unmirrored light.
    EXPECT_EQ(uniformVector(renderer.defaultProgram, "camWorldPos", 3), eye);
    EXPECT_EQ(uniformVector(renderer.waterProgram, "camWorldPos", 3), eye);
    EXPECT_EQ(uniformVector(renderer.waterProgram, "lightWorldPos", 3), xyz(renderer.light.getWorldPosition()));
    const Mat4 view = renderer.camera.worldMatrix();
    for (GLuint program : {renderer.defaultProgram, renderer.lightProgram, renderer.miniProgram,
                           renderer.waterProgram, renderer.shadowVolumeProgram})
        EXPECT_EQ(uniformVector(program, "ViewMatrix", 16), std::vector<float>(view.m.begin(), view.m.end()))
            << "program " << program;

    // Exactly 1.6 when no millisecond passed while the frame ran.
    renderer.animationTime = 1.6f;
    const int stalled = frameAfter(renderer, 0);
    EXPECT_EQ(renderer.animationTime, 1.6f + float(stalled) * 0.0002f);

    // Half a second later the phase 1.6 * 0.6 = 0.96 has passed 1 and starts again from 0.
    frameAfter(renderer, 500);
    const float phase = renderer.animationTime * 0.6f;
    const float after = uniformFloat(renderer.waterProgram, "time");
    EXPECT_NEAR(after, phase - std::floor(phase), 1e-5f);
    EXPECT_LT(after, 0.1f);
}
