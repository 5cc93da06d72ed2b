#pragma once

// The one picture type of the tools and tests: 8-bit RGB with the top row first, the order
// of an image file. DevIL reads and writes the files.

#include <string>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // empty when a file could not be read

    Image() = default;
    Image(int width, int height) : width(width), height(height), rgb(size_t(width) * size_t(height) * 3) {}
    unsigned char* at(int x, int y) { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    const unsigned char* at(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
    // A colour in [0, 1] per channel, rounded to the nearest level; values outside are clamped.
    void set(int x, int y, float r, float g, float b);
};

// A PNG or a JPEG (quality 95), chosen by the extension ".jpg". False when it was not written.
bool writeImage(const std::string& path, const Image& image);

// Any file DevIL reads, in 8-bit RGB. The rows stay in the file's order, as the program's
// loader hands them to GL: row 0 becomes texture row t = 0.
Image loadImage(const std::string& path);
