#include "scene/SceneObject.h"
#include "math/Mat4.h"

#include <cmath>
#include <gtest/gtest.h>

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

}  // namespace

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
