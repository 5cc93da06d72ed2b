#include "loader/DataLoader.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

std::vector<float> vec(const float v[3])
{
    return {v[0], v[1], v[2]};
}

TEST(DataLoaderTangentTest, AccumulatesLengyelTangentsAndSkipsTrianglesWithoutUVArea)
{
    struct Case {
        const char* name;
        float uvB[2], uvC[2];
        std::vector<float> tangent, bitangent;  // what the triangle adds
    };
    // Corners (0,0,0), (2,0,0), (0,3,0); the first at uv (0,0).
    const Case cases[] = {
        {"u along x, v along y", {1, 0}, {0, 1}, {2, 0, 0}, {0, 3, 0}},
        {"u and v swapped", {0, 1}, {1, 0}, {0, 3, 0}, {2, 0, 0}},
        // Mended: zero UV area would divide by zero; a vanishing one overflows.
        {"collinear texture coordinates", {1, 1}, {2, 2}, {0, 0, 0}, {0, 0, 0}},
        {"vanishing texture area", {1e-20f, 0}, {0, 1e-20f}, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Vertex a{}, b{}, c{};
        b.position[0] = 2;
        c.position[1] = 3;
        std::copy(test.uvB, test.uvB + 2, b.texCoord);
        std::copy(test.uvC, test.uvC + 2, c.texCoord);
        b.tangent[2] = 5.0f;  // earlier triangles' sums are kept
        DataLoader::accumulateTangents(a, b, c);
        EXPECT_EQ(vec(c.tangent), test.tangent);
        EXPECT_EQ(vec(a.bitangent), test.bitangent);
        EXPECT_EQ(b.tangent[2], 5.0f + test.tangent[2]);
    }
}

TEST(DataLoaderTangentTest, OrthonormalisedFramesAreFiniteUnitAndPerpendicularToTheNormal)
{
    const float nan = std::nanf("");
    struct Case {
        const char* name;
        float normal[3], tangent[3], bitangent[3];
        float expectedTangent[3], expectedBitangent[3];  // NaN: any unit vector perpendicular to the normal
    };
    const Case cases[] = {
        {"regular", {0, 0, 1}, {2, 0, 3}, {0, 5, -1}, {1, 0, 0}, {0, 1, 0}},
        {"no tangent", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}, {nan, nan, nan}, {0, 1, 0}},
        {"tangent along the normal", {0, 1, 0}, {0, 4, 0}, {0, 0, 0}, {nan, nan, nan}, {nan, nan, nan}},
        {"no bitangent", {0, 0, 1}, {1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
        {"no normal", {0, 0, 0}, {0, 3, 0}, {0, 0, 0}, {0, 1, 0}, {nan, nan, nan}},
        {"infinite tangent", {0, 0, 1}, {INFINITY, 0, 0}, {0, 1, 0}, {nan, nan, nan}, {0, 1, 0}},
    };
    auto dot = [](const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Vertex vertex{};
        std::copy(test.normal, test.normal + 3, vertex.normal);
        std::copy(test.tangent, test.tangent + 3, vertex.tangent);
        std::copy(test.bitangent, test.bitangent + 3, vertex.bitangent);
        DataLoader::orthonormaliseTangentFrame(vertex);
        for (const float* v : {vertex.tangent, vertex.bitangent}) {
            EXPECT_NEAR(dot(v, v), 1.0f, 1e-6f);
            EXPECT_NEAR(dot(v, test.normal), 0.0f, 1e-6f);
        }
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(std::isnan(test.expectedTangent[k]) || vertex.tangent[k] == test.expectedTangent[k]) << k;
            EXPECT_TRUE(std::isnan(test.expectedBitangent[k]) || vertex.bitangent[k] == test.expectedBitangent[k])
                << k;
        }
    }
}

} // namespace
