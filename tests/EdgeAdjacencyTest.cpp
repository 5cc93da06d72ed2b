#include "DataLoaderScratchDirectory.h"

#include "loader/DataLoader.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class EdgeAdjacencyTest : public testing::Test {
protected:
    // Gathers triangles given by their welded corners (each drawn at its own welded vertex),
    // then writes corner, adjacent vertex, corner, ... as the index output does.
    std::vector<uint32_t> adjacencyOf(const std::vector<std::array<uint32_t, 3>>& corners)
    {
        loader->reset();
        for (const auto& triangle : corners) {
            Triangle t{};
            t.number = uint32_t(loader->triangles.size());
            for (int k = 0; k < 3; ++k)
                t.welded[k] = t.corners[k] = triangle[size_t(k)];
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

using Corners = std::vector<std::array<uint32_t, 3>>;

const Corners tetrahedron = {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {0, 2, 3}};
const std::vector<uint32_t> tetrahedronAdjacency = {0, 3, 1, 3, 2, 3, 0, 2, 3, 2, 1, 2,
                                                    1, 0, 3, 0, 2, 0, 0, 1, 2, 1, 3, 1};

Corners concatenate(Corners first, const Corners& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::vector<uint32_t> degenerateThenTetrahedron()
{
    std::vector<uint32_t> indices = {0, 1, 1, 0, 1, 1};
    indices.insert(indices.end(), tetrahedronAdjacency.begin(), tetrahedronAdjacency.end());
    return indices;
}

TEST_F(EdgeAdjacencyTest, IndexListsFreeEdgesAndClosedFlags)
{
    struct Case {
        const char* name;
        Corners triangles;
        std::vector<uint32_t> expected;  // empty: only counted
        int freeEdges;
        bool closed;
    };
    const Case cases[] = {
        {"lone triangle", {{0, 1, 2}}, {0, 2, 1, 0, 2, 1}, 3, false},
        {"two triangles", {{0, 1, 2}, {2, 1, 3}}, {0, 2, 1, 3, 2, 1, 2, 0, 1, 2, 3, 1}, 4, false},
        {"tetrahedron", tetrahedron, tetrahedronAdjacency, 0, true},
        // Gathered first, a degenerate triangle would take a slot on the edge 0-1 that the
        // tetrahedron needs; it stays out of the table and names its own corners.
        {"degenerate first", concatenate({{0, 1, 1}}, tetrahedron), degenerateThenTetrahedron(), 0, true},
        // A fin: the third triangle on the edge 0-1 has that edge free.
        {"three on one edge", {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}},
         {0, 3, 1, 0, 2, 1, 1, 2, 0, 1, 3, 0, 0, 4, 1, 0, 4, 1},
         7, false},
        // One closed mesh listed twice: the first copy keeps its closed surface, every edge of
        // the second is free.
        {"listed twice", concatenate(tetrahedron, tetrahedron), {}, 12, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::vector<uint32_t> indices = adjacencyOf(test.triangles);
        if (!test.expected.empty()) {
            EXPECT_EQ(indices, test.expected);
        }
        EXPECT_EQ(loader->freeEdges, test.freeEdges);
        EXPECT_EQ(loader->closed, test.closed);
        uint32_t largest = 0;
        for (const auto& triangle : test.triangles)
            for (uint32_t corner : triangle)
                largest = std::max(largest, corner);
        for (uint32_t index : indices)
            EXPECT_LE(index, largest);
    }
}

TEST_F(EdgeAdjacencyTest, DegenerateTrianglesLeaveTheEdgeTableToTheirNeighbours)
{
    adjacencyOf(concatenate({{0, 1, 1}}, tetrahedron));
    // Only the tetrahedron's six edges, each with its two triangles (numbered from 1).
    EXPECT_EQ(loader->edgeTable.size(), 6u);
    const EdgeTriangles& edge = loader->edgeTable.at(EdgeKey(0, 1));
    EXPECT_EQ(edge.first, 1);
    EXPECT_EQ(edge.second, 2);
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
    const EdgeTriangles& free = loader->edgeTable.at(EdgeKey(0, 1));
    EXPECT_EQ(free.first, 0);
    EXPECT_EQ(free.second, -1);
}

TEST_F(EdgeAdjacencyTest, EdgeKeysIgnoreDirectionAndOrderUnsigned)
{
    const EdgeKey forward(7, 3), backward(3, 7);
    EXPECT_EQ(forward.first, 3u);
    EXPECT_EQ(forward.second, 7u);
    EXPECT_FALSE(forward < backward);
    EXPECT_FALSE(backward < forward);
    // Ordered by the first index, then the second, as unsigned numbers.
    EXPECT_TRUE(EdgeKey(1, 0xffffffffu) < EdgeKey(2, 3));
    EXPECT_TRUE(EdgeKey(2, 3) < EdgeKey(2, 0x80000000u));
    EXPECT_FALSE(EdgeKey(0x80000000u, 0xffffffffu) < EdgeKey(2, 3));
}

} // namespace
