#pragma once

#include <cstdint>

// One gathered triangle, 32 bytes. welded drives edge matching and the averaged normals;
// corners is what the index list draws.
struct Triangle {
    uint32_t number;         // its position in DataLoader::triangles; edge entries refer to it
    uint32_t materialIndex;  // scene material of the mesh it came from
    uint32_t welded[3];      // per corner: first vertex gathered at the corner's raw position
    uint32_t corners[3];     // per corner: the corner's own vertex
};

static_assert(sizeof(Triangle) == 32, "a triangle is eight 32-bit values");
