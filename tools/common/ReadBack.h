#pragma once

// The buffers of the framebuffer bound for reading, width x height pixels from its lower left
// corner, turned to the top row first like every Image. A multisampled window gives its colour
// resolved, its depth and stencil of its first sample.

#include "Image.h"

#include <vector>

Image readColour(int width, int height);
std::vector<float> readDepth(int width, int height);
std::vector<unsigned char> readStencil(int width, int height);
