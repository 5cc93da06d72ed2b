#include "GLTestSupport.h"

#include "loader/DataLoader.h"

#include <gtest/gtest.h>

namespace {

// The importer drops triangles with two corners at one position and never lets a third
// triangle share an edge of one mesh, so these cases are fed straight into the edge table.
TEST(EdgeAdjacencyTest, DegenerateAndNonManifoldTrianglesStayInRangeAndNeverCloseTheMesh)
{
    struct Case {
        const char* name;
        std::vector<std::array<uint32_t, 3>> triangles;  // welded corners
        std::vector<uint32_t> expected;                  // corner, adjacent vertex, corner, ...
        int freeEdges;
        bool closed;
    };
    const Case cases[] = {
        // Gathered first, a degenerate triangle would take the slot on the edge 0-1 that the
        // tetrahedron needs; it stays out of the table and names its own corners.
        {"degenerate, then a tetrahedron",
         {{0, 1, 1}, {0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {0, 2, 3}},
         {0, 1, 1, 0, 1, 1, 0, 3, 1, 3, 2, 3, 0, 2, 3, 2, 1, 2, 1, 0, 3, 0, 2, 0, 0, 1, 2, 1, 3, 1},
         0,
         true},
        {"all corners at one position", {{4, 4, 4}}, {4, 4, 4, 4, 4, 4}, 0, true},
        // A fin: the third triangle on the edge 0-1 gets that edge free; the first two stay
        // each other's neighbours.
        {"three triangles on one edge",
         {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}},
         {0, 3, 1, 0, 2, 1, 1, 2, 0, 1, 3, 0, 0, 4, 1, 0, 4, 1},
         7,
         false},
    };
    // The loader writes its "assimp_log.txt" into the working directory.
    const TemporaryDirectory directory("okv-test");
    const WorkingDirectory inside(directory.path());
    DataLoader loader;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        loader.reset();
        for (const auto& welded : test.triangles) {
            loader.triangles.push_back({uint32_t(loader.triangles.size()),
                                        0,
                                        {welded[0], welded[1], welded[2]},
                                        {welded[0], welded[1], welded[2]}});
            loader.registerEdges(loader.triangles.back());
        }
        std::vector<uint32_t> indices;
        for (const Triangle& t : loader.triangles)
            for (int k = 0; k < 3; ++k) {
                indices.push_back(t.corners[k]);
                indices.push_back(loader.emitAdjacency(t, k));
            }
        EXPECT_EQ(indices, test.expected);
        EXPECT_EQ(loader.freeEdges, test.freeEdges);
        EXPECT_EQ(loader.closed, test.closed);
    }
}

}  // namespace
