#pragma once

// The six face files of a cube map, in GL's face order +X, -X, +Y, -Y, +Z, -Z: the names
// DataLoader::loadCubeMap reads from its directory, and the asset generator writes.
constexpr const char* cubeFaceNames[6] = {"PX.png", "NX.png", "PY.png", "NY.png", "PZ.png", "NZ.png"};
