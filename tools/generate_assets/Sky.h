#pragma once

#include "Geometry.h"
#include "common/Image.h"

namespace assets {

// The direction that texel coordinates (s, t) in [0, 1] of a face stand for, by GL's cube-map
// face table (s to the right, t down the rows). Sampling the sky by direction is what makes
// two faces agree along their shared edge.
Vec3 cubeFaceDirection(int face, float s, float t);

// Sky colour (r, g, b in [0, 1]) seen in unit direction d: a gradient from a hazy horizon to a
// deeper zenith, with soft clouds on a virtual layer overhead.
Vec3 skyColor(Vec3 d);

// Face 0 to 5 in GL's order +X, -X, +Y, -Y, +Z, -Z, the order of loader/CubeMapFaces.h.
Image skyFace(int face, int size);

}  // namespace assets
