#pragma once

// The pictures of the breakdown: what is read back from GL, and what is made of it on the CPU.

#include <GL/glew.h>

#include <string>
#include <vector>

// 8-bit RGB, bottom row first: the order glReadPixels returns and writePng takes.
struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;

    Image() = default;
    Image(int width, int height) : width(width), height(height), rgb(size_t(width) * size_t(height) * 3) {}
    unsigned char* at(int x, int y) { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    const unsigned char* at(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

struct Colour {
    unsigned char r, g, b;
};

// A colour and what it stands for, for a legend.
struct Swatch {
    Colour colour;
    std::string label;  // digits, '+' and the capitals of the words the legends use
};

// From the framebuffer bound for reading, width x height pixels from its lower left corner.
// A multisampled window gives its colour resolved, its depth and stencil of its first sample.
Image readColour(int width, int height);
std::vector<float> readDepth(int width, int height);
std::vector<unsigned char> readStencil(int width, int height);

// The picture with a strip below it that shows each swatch and its label.
Image withLegend(const Image& picture, const std::vector<Swatch>& swatches);

// Nearest-pixel resampling, for counts that must not be blended.
Image resampled(const Image& picture, int width, int height);
