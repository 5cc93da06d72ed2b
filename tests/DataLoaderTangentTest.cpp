#include "loader/DataLoader.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

Vertex vertexAt(float x, float y, float z, float u, float v)
{
    Vertex vertex{};
    vertex.position[0] = x;
    vertex.position[1] = y;
    vertex.position[2] = z;
    vertex.texCoord[0] = u;
    vertex.texCoord[1] = v;
    return vertex;
}

TEST(DataLoaderTangentTest, AccumulatesLengyelTangentsAndSkipsTrianglesWithoutUVArea)
{
    struct Case {
        const char* name;
        float uvB[2], uvC[2];
        float tangent[3], bitangent[3];  // what the triangle adds
    };
    // Corners (0,0,0), (2,0,0), (0,3,0); A at uv (0,0).
    const Case cases[] = {
        {"u along x, v along y", {1, 0}, {0, 1}, {2, 0, 0}, {0, 3, 0}},
        {"u and v swapped", {0, 1}, {1, 0}, {0, 3, 0}, {2, 0, 0}},
        // Mended: zero UV area would divide by zero; a vanishing one overflows.
        {"no texture coordinates", {0, 0}, {0, 0}, {0, 0, 0}, {0, 0, 0}},
        {"collinear texture coordinates", {1, 1}, {2, 2}, {0, 0, 0}, {0, 0, 0}},
        {"vanishing texture area", {1e-20f, 0}, {0, 1e-20f}, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Vertex a = vertexAt(0, 0, 0, 0, 0);
        Vertex b = vertexAt(2, 0, 0, test.uvB[0], test.uvB[1]);
        Vertex c = vertexAt(0, 3, 0, test.uvC[0], test.uvC[1]);
        b.tangent[2] = 5.0f;  // earlier triangles' sums are kept
        DataLoader::accumulateTangents(a, b, c);
        for (int k = 0; k < 3; ++k) {
            for (const Vertex* v : {&a, &c})
                EXPECT_FLOAT_EQ(v->tangent[k], test.tangent[k]);
            for (const Vertex* v : {&a, &b, &c})
                EXPECT_FLOAT_EQ(v->bitangent[k], test.bitangent[k]);
        }
        EXPECT_FLOAT_EQ(b.tangent[2], 5.0f + test.tangent[2]);
    }
}

float length(const float v[3])
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

float dot(const float a[3], const float b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

TEST(DataLoaderTangentTest, OrthonormalisedFramesAreFiniteUnitAndPerpendicularToTheNormal)
{
    const float nan = std::nanf("");
    struct Case {
        const char* name;
        float normal[3], tangent[3], bitangent[3];
        float expectedTangent[3];    // NaN: any direction that passes the general checks
        float expectedBitangent[3];
    };
    const Case cases[] = {
        {"regular", {0, 0, 1}, {2, 0, 3}, {0, 5, -1}, {1, 0, 0}, {0, 1, 0}},
        {"no tangent", {0, 0, 1}, {0, 0, 0}, {0, 1, 0}, {nan, nan, nan}, {0, 1, 0}},
        {"tangent along the normal", {0, 1, 0}, {0, 4, 0}, {0, 0, 0}, {nan, nan, nan}, {nan, nan, nan}},
        {"no bitangent", {0, 0, 1}, {1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
        {"no normal", {0, 0, 0}, {0, 3, 0}, {0, 0, 0}, {0, 1, 0}, {nan, nan, nan}},
        {"infinite tangent", {0, 0, 1}, {INFINITY, 0, 0}, {0, 1, 0}, {nan, nan, nan}, {0, 1, 0}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Vertex vertex{};
        for (int k = 0; k < 3; ++k) {
            vertex.normal[k] = test.normal[k];
            vertex.tangent[k] = test.tangent[k];
            vertex.bitangent[k] = test.bitangent[k];
        }
        DataLoader::orthonormaliseTangentFrame(vertex);
        EXPECT_NEAR(length(vertex.tangent), 1.0f, 1e-6f);
        EXPECT_NEAR(length(vertex.bitangent), 1.0f, 1e-6f);
        if (length(test.normal) == 1.0f) {
            EXPECT_NEAR(dot(vertex.tangent, test.normal), 0.0f, 1e-6f);
            EXPECT_NEAR(dot(vertex.bitangent, test.normal), 0.0f, 1e-6f);
        }
        for (int k = 0; k < 3; ++k) {
            if (!std::isnan(test.expectedTangent[k])) {
                EXPECT_NEAR(vertex.tangent[k], test.expectedTangent[k], 1e-6f) << k;
            }
            if (!std::isnan(test.expectedBitangent[k])) {
                EXPECT_NEAR(vertex.bitangent[k], test.expectedBitangent[k], 1e-6f) << k;
            }
        }
    }
}

} // namespace
