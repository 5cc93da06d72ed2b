#include "math/Mat4.h"
#include "math/Vec4.h"

#include <gtest/gtest.h>

namespace {

void expectVec(const Vec4& actual, float x, float y, float z, float w, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
    EXPECT_NEAR(actual.w, w, tolerance);
}

Mat4 scaledBy(float factor)
{
    Mat4 M;
    M[0] = M[5] = M[10] = factor;
    return M;
}

// A matrix whose every element differs, so that products reveal swapped rows and columns.
Mat4 distinctElements()
{
    Mat4 M;
    for (int i = 0; i < 16; ++i)
        M[i] = float(i + 1) * (i % 2 ? -0.5f : 1.0f);
    return M;
}

}  // namespace

TEST(Mat4Test, ProductsComposeInColumnVectorOrderAndMayUseTheDestination)
{
    Mat4 translation;
    translation[12] = 10;
    Mat4 M = scaledBy(2);
    postMultiply(M, translation);  // scale after translate: point moves 10 then doubles
    expectVec(M * Vec4(1, 0, 0, 1), 22, 0, 0, 1);

    Mat4 N = scaledBy(2);
    preMultiply(N, translation);  // translate after scale
    expectVec(N * Vec4(1, 0, 0, 1), 12, 0, 0, 1);

    // Multiplying a matrix by itself must square it, not read half-written elements.
    const Mat4 original = distinctElements();
    const Mat4 square = original * original;
    Mat4 byPost = original;
    postMultiply(byPost, byPost);
    Mat4 byPre = original;
    preMultiply(byPre, byPre);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(byPost[i], square[i]) << i;
        EXPECT_FLOAT_EQ(byPre[i], square[i]) << i;
    }
    // Element (row 0, column 1) of A·B is the dot product of A's row 0 and B's column 1.
    const Mat4 A = distinctElements();
    const Mat4 B = scaledBy(3);
    EXPECT_FLOAT_EQ((A * B)[4], A[4] * 3);
    EXPECT_FLOAT_EQ((B * A)[4], 3 * A[4]);
    EXPECT_FLOAT_EQ((B * A)[7], A[7]);
}
