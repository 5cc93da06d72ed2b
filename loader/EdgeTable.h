#pragma once

#include <cstdint>
#include <map>

// An undirected edge between two welded vertices, smaller index first, so that both
// triangles on the edge find the same entry whichever way they run along it.
struct EdgeKey {
    uint32_t first;
    uint32_t second;

    EdgeKey(uint32_t a, uint32_t b) : first(a < b ? a : b), second(a < b ? b : a) {}

    bool operator<(const EdgeKey& other) const
    {
        return first != other.first ? first < other.first : second < other.second;
    }
};

// The (at most) two triangles registered on an edge, by triangle number; -1: none.
struct EdgeTriangles {
    int32_t first = -1;
    int32_t second = -1;
};

using EdgeTable = std::map<EdgeKey, EdgeTriangles>;
