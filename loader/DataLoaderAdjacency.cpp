#include "loader/DataLoader.h"

namespace {

bool isDegenerate(const Triangle& triangle)
{
    const uint32_t* w = triangle.welded;
    return w[0] == w[1] || w[1] == w[2] || w[2] == w[0];
}

// The first welded corner of triangle that is on neither end of the edge a-b.
uint32_t oppositeCorner(const Triangle& triangle, uint32_t a, uint32_t b)
{
    for (int k = 0; k < 3; ++k)
        if (triangle.welded[k] != a && triangle.welded[k] != b)
            return triangle.welded[k];
    return triangle.welded[0];
}

}  // namespace

void DataLoader::registerEdges(const Triangle& triangle)
{
    // A triangle with two corners at one raw position has no proper edge between
    // them, and its other two "edges" coincide; entering it would steal a slot from the real
    // neighbours of that edge. It stays out of the table (see emitAdjacency).
    if (isDegenerate(triangle))
        return;
    const int32_t number = int32_t(triangle.number);
    for (int k = 0; k < 3; ++k) {
        EdgeTriangles& entry = edgeTable[EdgeKey(triangle.welded[k], triangle.welded[(k + 1) % 3])];
        if (entry.first == -1)
            entry.first = number;
        else if (entry.second == -1)
            entry.second = number;
        // A third triangle on a full edge is not entered; emitAdjacency gives it a free edge.
    }
}

uint32_t DataLoader::emitAdjacency(const Triangle& triangle, int k)
{
    const uint32_t a = triangle.welded[k];
    const uint32_t b = triangle.welded[(k + 1) % 3];

    // A degenerate triangle has zero area, so it never faces the light and never forms a
    // silhouette: its own corners as neighbours keep it harmless, and as a zero-area sliver
    // it neither opens nor closes the surface, so it counts no free edge.
    if (isDegenerate(triangle))
        return triangle.welded[(k + 2) % 3];

    const int32_t number = int32_t(triangle.number);
    int32_t neighbour = -1;
    const auto entry = edgeTable.find(EdgeKey(a, b));
    if (entry != edgeTable.end()) {
        if (entry->second.first == number)
            neighbour = entry->second.second;
        else if (entry->second.second == number)
            neighbour = entry->second.first;
        // A triangle in neither slot is the third (or later) on a non-manifold edge,
        // for instance a second copy of a mesh listed by two nodes. Pairing it with an
        // arbitrary slot holder would give the shadow volume a wrong silhouette; as a free
        // edge it marks the mesh open, which sends the shadow pass down its robust path.
    }

    if (neighbour == -1) {
        ++freeEdges;
        closed = false;
        return oppositeCorner(triangle, a, b);
    }
    return oppositeCorner(triangles[size_t(neighbour)], a, b);
}
