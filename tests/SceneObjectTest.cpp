#include "math/Mat4.h"
#include "scene/Light.h"
#include "scene/SceneObject.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

void expectMatrix(const Mat4& actual, const Mat4& expected, float tolerance = 1e-4f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

// Scaled first, then turned about z, then moved: transforms that do not commute, so any
// change of order shows.
Mat4 transform(float angle, Vec4 scales, float x, float y, float z)
{
    Mat4 M;
    M[0] = M[5] = std::cos(angle);
    M[1] = std::sin(angle);
    M[4] = -M[1];
    scale(M, scales.x, scales.y, scales.z, Local);
    translate(M, x, y, z, Global);
    return M;
}

// The mirror about the plane y = height.
Mat4 mirrorAboutHeight(float height)
{
    Mat4 M;
    M[5] = -1.0f;
    M[13] = 2.0f * height;
    return M;
}

} // namespace

TEST(SceneObjectTest, WorldMatrixChainsParentsAndAppliesTheMirrorLast)
{
    SceneObject grandparent, parent, child;
    grandparent.local = transform(0.3f, {2, 1, 1, 0}, 1, 2, 3);
    parent.local = transform(-1.1f, {0.5f, 1, 1, 0}, -4, 0, 7);
    child.local = transform(0.7f, {3, 1, 1, 0}, 0, -6, 1);
    parent.reflection = mirrorAboutHeight(-3);
    child.reflection = mirrorAboutHeight(5);
    EXPECT_EQ(child.worldMatrix().m, child.local.m);

    child.parent = &parent;
    parent.parent = &grandparent;
    const Mat4 chain = grandparent.local * parent.local * child.local;
    expectMatrix(child.worldMatrix(), chain);
    child.reflected = true;
    expectMatrix(child.worldMatrix(), child.reflection * chain);
    // A reflected ancestor's mirror acts on its own world matrix, which the child inherits.
    child.reflected = false;
    parent.reflected = true;
    expectMatrix(child.worldMatrix(), parent.reflection * grandparent.local * parent.local * child.local);
}

TEST(LightTest, AnimateKeepsOnlyTheScaleAndTakesThePathPoint)
{
    Light light;
    light.path.points = {{Vec4(10, 20, 30, 1), Vec4(0, 0, 4, 0), 1, 1}, {Vec4(-10, 5, 0, 1), Vec4(2, 0, 0, 0), 3, 2}};
    light.path.loop = true;
    const struct {
        const char* name;
        Mat4 local;
        float t;
        Vec4 scales;
    } cases[] = {
        {"scale 50, rotated, translated", transform(0.8f, {50, 50, 50, 0}, 5, 6, 7), 0.5f, {50, 50, 50, 0}},
        {"negative scale on x", transform(0.0f, {-3, 1, 1, 0}, 1, 1, 1), 1.25f, {3, 1, 1, 0}},
        {"rotated, different scales per axis", transform(-2.0f, {2, 4, 0.5f, 0}, 0, 0, 0), 0.0f, {2, 4, 0.5f, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        light.local = c.local;
        light.animate(c.t);
        const Vec4 p = light.path.evaluate(c.t);
        expectMatrix(light.local, transform(0.0f, c.scales, p.x, p.y, p.z), 1e-3f);
        const Mat4 once = light.local;
        light.animate(c.t);
        expectMatrix(light.local, once);
    }
}

TEST(LightTest, WorldPositionFollowsTheMirrorAndHasUnitW)
{
    Light light;
    light.reflection = mirrorAboutHeight(14);
    for (const bool reflected : {false, true}) {
        SCOPED_TRACE(reflected);
        light.local = transform(0.4f, {50, 50, 50, 0}, 3, 20, -5);
        light.local[15] = reflected ? 1.0f : 2.0f;
        light.reflected = reflected;
        const Vec4 position = light.getWorldPosition();
        EXPECT_EQ((std::vector<float>{position.x, position.y, position.z, position.w}),
                  (std::vector<float>{3, reflected ? 8.0f : 20.0f, -5, 1}));
    }
}
