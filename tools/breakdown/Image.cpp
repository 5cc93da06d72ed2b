#include "Image.h"

#include <array>
#include <map>

namespace {

// A 5 x 7 pixel font for the legends: one row of five bits per line, the top row first, the
// leftmost pixel in bit 4.
using Glyph = std::array<unsigned char, 7>;
const std::map<char, Glyph> font = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
};
constexpr int glyphScale = 2;  // screen pixels per font pixel
constexpr int glyphAdvance = 6 * glyphScale;
constexpr int legendHeight = 13 * glyphScale;
constexpr int swatchSize = 7 * glyphScale;
constexpr Colour legendBackground{24, 24, 24}, legendText{235, 235, 235};

void fill(Image& image, int x, int y, int width, int height, Colour colour)
{
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width && column < image.width; ++column) {
            unsigned char* pixel = image.at(column, row);
            pixel[0] = colour.r;
            pixel[1] = colour.g;
            pixel[2] = colour.b;
        }
}

// Writes text with its glyphs' bottom row at y (rows count upwards); returns where it ends.
int write(Image& image, int x, int y, const std::string& text)
{
    for (const char letter : text) {
        const auto glyph = font.find(letter);
        if (glyph != font.end())
            for (int row = 0; row < 7; ++row)
                for (int column = 0; column < 5; ++column)
                    if (glyph->second[size_t(row)] & (0x10 >> column))
                        fill(image, x + column * glyphScale, y + (6 - row) * glyphScale, glyphScale, glyphScale,
                             legendText);
        x += glyphAdvance;
    }
    return x;
}

} // namespace

Image readColour(int width, int height)
{
    Image image(width, height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    return image;
}

std::vector<float> readDepth(int width, int height)
{
    std::vector<float> depth(size_t(width) * size_t(height));
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    return depth;
}

std::vector<unsigned char> readStencil(int width, int height)
{
    std::vector<unsigned char> stencil(size_t(width) * size_t(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
    return stencil;
}

Image withLegend(const Image& picture, const std::vector<Swatch>& swatches)
{
    Image result(picture.width, picture.height + legendHeight);
    std::copy(picture.rgb.begin(), picture.rgb.end(), result.rgb.begin() + ptrdiff_t(legendHeight) * result.width * 3);
    fill(result, 0, 0, result.width, legendHeight, legendBackground);
    const int baseline = (legendHeight - swatchSize) / 2;
    int x = glyphAdvance;
    for (const Swatch& swatch : swatches) {
        fill(result, x, baseline, swatchSize, swatchSize, swatch.colour);
        x = write(result, x + swatchSize + glyphScale * 3, baseline, swatch.label) + glyphAdvance * 2;
    }
    return result;
}

Image resampled(const Image& picture, int width, int height)
{
    Image result(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* source = picture.at(x * picture.width / width, y * picture.height / height);
            std::copy(source, source + 3, result.at(x, y));
        }
    return result;
}
