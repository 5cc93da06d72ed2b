#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

// 8-bit RGB pixels, row 0 first. Row 0 is the top row of the written file, which is also the
// row that DevIL (without origin conversion, as the demo loads) hands to GL as t = 0.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    Image(int w, int h);
    // Colour in [0, 1] per channel; values outside are clamped.
    void set(int x, int y, float r, float g, float b);
};

// Writes a PNG or JPEG (chosen by the extension) through DevIL. Returns false on failure.
bool saveImage(const std::string& path, const Image& image);

}  // namespace assets
