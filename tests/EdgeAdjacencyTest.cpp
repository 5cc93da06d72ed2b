#include "DataLoaderScratchDirectory.h"

#include "loader/DataLoader.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using Corners = std::vector<std::array<uint32_t, 3>>;

// The cases the importer never lets through (its degenerate-primitive step drops triangles
// with two corners at one position), fed straight into the edge table.
class EdgeAdjacencyTest : public testing::Test {
protected:
    // Gathers triangles given by their welded corners, then writes corner, adjacent vertex,
    // corner, ... as the index output does.
    std::vector<uint32_t> adjacencyOf(const Corners& corners)
    {
        loader->reset();
        for (const auto& welded : corners) {
            Triangle t{uint32_t(loader->triangles.size()), 0, {welded[0], welded[1], welded[2]},
                       {welded[0], welded[1], welded[2]}};
            loader->triangles.push_back(t);
            loader->registerEdges(t);
        }
        std::vector<uint32_t> indices;
        for (const Triangle& t : loader->triangles)
            for (int k = 0; k < 3; ++k) {
                indices.push_back(t.corners[k]);
                indices.push_back(loader->emitAdjacency(t, k));
            }
        return indices;
    }

    DataLoaderScratchDirectory directory;
    std::unique_ptr<DataLoader> loader = std::make_unique<DataLoader>();
};

TEST_F(EdgeAdjacencyTest, DegenerateAndNonManifoldTrianglesStayInRangeAndNeverCloseTheMesh)
{
    struct Case {
        const char* name;
        Corners triangles;
        std::vector<uint32_t> expected;
        int freeEdges;
        bool closed;
    };
    const Case cases[] = {
        // Gathered first, a degenerate triangle would take the slot on the edge 0-1 that the
        // tetrahedron needs; it stays out of the table and names its own corners.
        {"degenerate, then a tetrahedron",
         {{0, 1, 1}, {0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {0, 2, 3}},
         {0, 1, 1, 0, 1, 1, 0, 3, 1, 3, 2, 3, 0, 2, 3, 2, 1, 2, 1, 0, 3, 0, 2, 0, 0, 1, 2, 1, 3, 1},
         0, true},
        {"all corners at one position", {{4, 4, 4}}, {4, 4, 4, 4, 4, 4}, 0, true},
        // A fin: the third triangle on the edge 0-1 gets that edge free; the first two stay
        // each other's neighbours.
        {"three triangles on one edge",
         {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}},
         {0, 3, 1, 0, 2, 1, 1, 2, 0, 1, 3, 0, 0, 4, 1, 0, 4, 1},
         7, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(adjacencyOf(test.triangles), test.expected);
        EXPECT_EQ(loader->freeEdges, test.freeEdges);
        EXPECT_EQ(loader->closed, test.closed);
    }
}

TEST_F(EdgeAdjacencyTest, NeighbourIsFoundFromEitherSlot)
{
    adjacencyOf({{0, 1, 2}, {2, 1, 3}});
    const EdgeTriangles& shared = loader->edgeTable.at(EdgeKey(2, 1));
    ASSERT_EQ(shared.first, 0);
    ASSERT_EQ(shared.second, 1);
    // Triangle 0 sits in `first` and finds 3 through `second`; triangle 1 the other way round.
    EXPECT_EQ(loader->emitAdjacency(loader->triangles[0], 1), 3u);
    EXPECT_EQ(loader->emitAdjacency(loader->triangles[1], 0), 0u);
    EXPECT_EQ(loader->edgeTable.at(EdgeKey(0, 1)).second, -1);
}

TEST_F(EdgeAdjacencyTest, EdgeKeysIgnoreDirectionAndOrderUnsigned)
{
    const EdgeKey forward(7, 3), backward(3, 7);
    EXPECT_EQ(forward.first, 3u);
    EXPECT_EQ(forward.second, 7u);
    EXPECT_FALSE(forward < backward);
    EXPECT_FALSE(backward < forward);
    EXPECT_TRUE(EdgeKey(1, 0xffffffffu) < EdgeKey(2, 3));
    EXPECT_TRUE(EdgeKey(2, 3) < EdgeKey(2, 0x80000000u));
    EXPECT_FALSE(EdgeKey(0x80000000u, 0xffffffffu) < EdgeKey(2, 3));
}

} // namespace
