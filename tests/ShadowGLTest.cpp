// Whether the stencil count of the shadow volumes says "in shadow" exactly where the light is
// blocked: the depth and stencil buffers a real frame leaves behind are unprojected to world
// points and compared with a ray cast on the CPU against the casters' own triangles. The same
// ray cast follows the camera's eye along its whole path.

#include "ScenePassSupport.h"
#include "ShadowRayCast.h"

#include <iostream>

// Animation times chosen on the light's path (parameter t / 3) and the camera's (t / 2):
// beside the pool with the light low at +z, at its highest (the roof shades the floor) and low
// at -z; on the steps with the columns' shadows across the floor and the basin; outside.
TEST(ShadowGLTest, StencilCountMatchesARayCastInTheScreenAndTheReflectionPass)
{
    Renderer& renderer = rendererWithScene();
    int shadowedSamples = 0;
    for (const float time : {0.3f, 1.5f, 2.6f, 7.0f, 8.5f}) {
        SCOPED_TRACE("animation time " + std::to_string(time));
        renderer.renderFrameAt(time);
        const Mat4 projection = renderer.projectionMatrix();
        const Mat4 view = renderer.camera.worldMatrix();

        // Depth and stencil are not swapped with the colour, so they still hold the screen pass.
        const Agreement onScreen =
            compareWithRayCast(renderer, Target(renderer.windowWidth, renderer.windowHeight, projection, view), false,
                               renderer.screenLists.shadowCasters, 3);
        // The reflection pass used the window's projection in its square target, on the
        // mirrored world with the mirrored light.
        renderer.water->reflectionBuffer.bind();
        const Target reflection(1024, 1024, projection, view);
        renderer.water->reflectionBuffer.unbind();
        const Agreement inReflection =
            compareWithRayCast(renderer, reflection, true, renderer.reflectionLists.shadowCasters, 4);
        std::cout << "animation time " << time << ": screen pass " << onScreen.agreed << " of " << onScreen.compared
                  << " samples agree (" << 100.0 * onScreen.fraction() << "%, " << onScreen.shadowed
                  << " in shadow), reflection pass " << inReflection.agreed << " of " << inReflection.compared << " ("
                  << 100.0 * inReflection.fraction() << "%, " << inReflection.shadowed << " in shadow)" << std::endl;
        shadowedSamples += onScreen.shadowed + inReflection.shadowed;
        EXPECT_GT(onScreen.compared, 5000);
        EXPECT_GE(onScreen.fraction(), 0.99);
        EXPECT_GT(inReflection.compared, 1000);
        EXPECT_GE(inReflection.fraction(), 0.99);
    }
    // Agreement means nothing if no shadow was ever in the picture.
    EXPECT_GT(shadowedSamples, 2000);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The eye rides through the temple's ring of columns. Neither it nor the near plane (1 unit
// ahead and about as wide) may cut into a wall, at any moment of the loop: the compared
// pictures show only three, and a moved column or path point would be re-captured with them.
TEST(EyePathGLTest, TheEyeStaysTwoUnitsClearOfEverySurfaceAlongItsWholeLoop)
{
    Renderer& renderer = rendererWithScene();
    const Occluders scene(renderer.screenLists.shadowCasters, false);
    const auto eyeAt = [&renderer](int step) {
        const Vec4 eye = renderer.camera.eyePath.evaluate(float(step) / 1000.0f);
        return Point{eye.x, eye.y, eye.z};
    };
    int crossings = 0;
    for (int step = 0; step < 8000; ++step) {
        const Point eye = eyeAt(step);
        for (const Point& reach : {eyeAt(step + 1), eye + Point{2, 0, 0}, eye + Point{-2, 0, 0}, eye + Point{0, 2, 0},
                                   eye + Point{0, -2, 0}, eye + Point{0, 0, 2}, eye + Point{0, 0, -2}})
            if (scene.blocked(eye, reach) && ++crossings == 1)
                ADD_FAILURE() << "a surface near the eye at path parameter " << step / 1000.0;
    }
    EXPECT_EQ(crossings, 0);
}
