// The last step of the tangent frames, on one vertex record whose accumulated tangent and
// bitangent sit where the arithmetic is at its edge: the frame must still be sound
// (ModelInvariants.h: finite, unit length, in the surface).

#include "ModelInvariants.h"

#include "loader/DataLoader.h"

#include <gtest/gtest.h>

namespace {

TEST(TangentFrameTest, FramesNearlyAlongTheNormalOrWithoutOneStillEndUpSound)
{
    struct Case {
        const char* name;
        Vertex vertex;  // normal, tangent and bitangent set
    };
    const auto withFrame = [](std::array<float, 3> n, std::array<float, 3> t, std::array<float, 3> b) {
        Vertex vertex{};
        for (int c = 0; c < 3; ++c) {
            vertex.normal[c] = n[c];
            vertex.tangent[c] = t[c];
            vertex.bitangent[c] = b[c];
        }
        return vertex;
    };
    // The normals are at unit length, as the loader's gathering leaves them.
    const Case cases[] = {
        // Found by the import fuzzer: what the projection leaves of a tangent along the
        // normal is rounding error, whose direction strays from the plane.
        {"tangent along the normal",
         withFrame({-0.98768836f, -0.15643448f, 0}, {0.528891f, 0.083766f, 0}, {0.03352f, 0.327318f, 0.259827f})},
        {"tangent against the normal", withFrame({0.6f, 0.8f, 0}, {-1.8f, -2.4f, 0}, {0, 0, 1})},
        {"bitangent along the normal", withFrame({0, 0, 1}, {1, 0, 0}, {0, 1e-7f, 1})},
        {"neither tangent nor bitangent", withFrame({0, 1, 0}, {0, 0, 0}, {0, 0, 0})},
        {"no normal", withFrame({0, 0, 0}, {2, 0, 0}, {0, 3, 0})},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        PreparedModel model;
        model.vertices = {test.vertex};
        DataLoader::orthonormaliseTangentFrame(model.vertices[0]);
        model.closed = true;
        EXPECT_EQ(brokenInvariants(model), std::vector<std::string>{});
    }
}

}  // namespace
