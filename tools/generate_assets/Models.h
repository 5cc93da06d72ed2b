#pragma once

#include "Geometry.h"

namespace assets {

// The scene's models, each in the units the scene's placement maps back onto the world:
// the import fits a model's bounds into a unit box, so a model whose bounds are the box it
// should occupy in the world comes out in world units after placement.

// A tholos 100 wide and 100 high standing on y = 0: stepped round platform with a square
// opening for the pool, fourteen columns with bases and capitals, an entablature ring and a
// dome with a finial. Each part is a separate closed solid; no two parts share a position.
MeshData templeMesh();

// A square stone pool 30 x 12 x 30 from y = 4 to 16, with a cavity 27 x 27 down to y = 6.5,
// as one closed solid (walls and floor together).
MeshData basinMesh();
// A 1 x 1 plane at y = 0 split into a grid, texture repeated `repeats` times across it.
MeshData groundMesh(int cells, float repeats);
// A smooth sphere of radius 1 with +Z up.
MeshData sphereMesh(int slices, int stacks);

}  // namespace assets
