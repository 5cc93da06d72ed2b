#pragma once

#include "common/Image.h"

#include <cstdlib>

// The share of pixels whose colour differs by more than 2 levels in some channel between two
// images of one size: the same frame rendered again differs nowhere, a changed frame in many
// places.
inline double differingShare(const Image& a, const Image& b)
{
    size_t differing = 0;
    for (size_t pixel = 0; pixel < a.rgb.size(); pixel += 3)
        for (size_t channel = 0; channel < 3; ++channel)
            if (std::abs(int(a.rgb[pixel + channel]) - int(b.rgb[pixel + channel])) > 2) {
                ++differing;
                break;
            }
    return double(differing) / double(a.rgb.size() / 3);
}
