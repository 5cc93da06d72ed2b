#pragma once

#include "common/Image.h"

namespace assets {

// Procedural surface textures, all square and tileable (they repeat across the models), with
// tangent-space normal maps whose green channel points along increasing texture v (down the
// rows), the direction the loader's bitangent takes.
Image marbleDiffuse(int size);
Image marbleNormal(int size);
Image stoneTileDiffuse(int size);
Image stoneTileNormal(int size);
Image grassDiffuse(int size);
Image grassNormal(int size);
Image waterDiffuse(int size);
// Rolling waves; used for the water plane's own normal map and for the wave image.
Image waveNormal(int size);
Image glowDiffuse(int size);
Image flatNormal(int size);

}  // namespace assets
