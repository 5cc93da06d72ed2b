// The frame's clock: how far the animation moves for the milliseconds that passed, and where
// that puts the camera, the light and the waves. A rate off by a factor of ten either way is
// plain to anyone watching, but no single frame shows it.

#include "ScenePassSupport.h"

#include <GL/freeglut.h>

#include <cmath>

namespace {

void expectNear(const Vec4& actual, const Vec4& expected)
{
    EXPECT_LE((actual - expected).length(), 1e-2f) << actual.x << ", " << actual.y << ", " << actual.z;
}

}  // namespace

TEST(FrameRenderingGLTest, FiveSecondsMoveTheClockByOneTheCameraByAHalfTheLightByAThirdAndTheWavesBy0Point6)
{
    Renderer& renderer = rendererWithScene();
    renderer.animationTime = 1.0f;
    // The previous frame 5000 ms ago; a few more may pass before the frame reads the clock.
    renderer.lastFrameTime = glutGet(GLUT_ELAPSED_TIME) - 5000;
    const int32_t previous = renderer.lastFrameTime;
    renderer.renderFrame();
    const int32_t elapsed = renderer.lastFrameTime - previous;
    ASSERT_GE(elapsed, 5000);
    ASSERT_LT(elapsed, 6000);

    const float t = renderer.animationTime;
    EXPECT_NEAR(t, 1.0f + float(elapsed) / 5000.0f, 1e-5f);
    expectNear(renderer.camera.getPosition(), renderer.camera.eyePath.evaluate(t / 2.0f));
    expectNear(renderer.light.getWorldPosition(), renderer.light.path.evaluate(t / 3.0f));
    // Past a whole wave cycle (t · 0.6 is just above 1.2), the phase has started again.
    float waves = 0.0f;
    glGetUniformfv(renderer.waterProgram, glGetUniformLocation(renderer.waterProgram, "time"), &waves);
    EXPECT_NEAR(waves, t * 0.6f - std::floor(t * 0.6f), 1e-4f);
}
