#include "ReadBack.h"

#include <GL/glew.h>

#include <algorithm>

namespace {

// glReadPixels gives the bottom row first.
template <typename Value>
std::vector<Value> readRows(int width, int height, GLenum format, GLenum type, size_t valuesPerPixel)
{
    const size_t rowLength = size_t(width) * valuesPerPixel;
    std::vector<Value> values(rowLength * size_t(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, format, type, values.data());
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        const auto row = [&](int y) { return values.begin() + ptrdiff_t(size_t(y) * rowLength); };
        std::swap_ranges(row(top), row(top + 1), row(bottom));
    }
    return values;
}

}  // namespace

Image readColour(int width, int height)
{
    Image image(width, height);
    image.rgb = readRows<unsigned char>(width, height, GL_RGB, GL_UNSIGNED_BYTE, 3);
    return image;
}

std::vector<float> readDepth(int width, int height)
{
    return readRows<float>(width, height, GL_DEPTH_COMPONENT, GL_FLOAT, 1);
}

std::vector<unsigned char> readStencil(int width, int height)
{
    return readRows<unsigned char>(width, height, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, 1);
}
