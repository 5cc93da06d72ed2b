#include "FrameComparison.h"

#include <algorithm>
#include <cstdlib>

namespace {

int channelDifference(const Image& a, const Image& b, size_t pixel)
{
    int largest = 0;
    for (size_t channel = 0; channel < 3; ++channel)
        largest = std::max(largest, std::abs(int(a.rgb[3 * pixel + channel]) - int(b.rgb[3 * pixel + channel])));
    return largest;
}

// Whether the 3 x 3 block around (x, y) spans more than the tolerance in some channel: an
// edge of geometry or of a shadow, or a texture's sharp detail.
bool onEdge(const Image& picture, int x, int y)
{
    for (size_t channel = 0; channel < 3; ++channel) {
        int low = 255, high = 0;
        for (int row = y - 1; row <= y + 1; ++row)
            for (int column = x - 1; column <= x + 1; ++column) {
                const int value = picture.rgb[3 * (size_t(row) * size_t(picture.width) + size_t(column)) + channel];
                low = std::min(low, value);
                high = std::max(high, value);
            }
        if (high - low > frameTolerance)
            return true;
    }
    return false;
}

}  // namespace

FrameDifference compareFrames(const Image& reference, const Image& other)
{
    FrameDifference difference;
    difference.pixels = reference.width * reference.height;
    for (int y = 1; y < reference.height - 1; ++y)
        for (int x = 1; x < reference.width - 1; ++x) {
            const int largest = channelDifference(reference, other, size_t(y) * size_t(reference.width) + size_t(x));
            if (largest > 0)
                ++difference.unequal;
            if (largest <= frameTolerance)
                continue;
            ++difference.differing;
            if (!onEdge(reference, x, y) && !onEdge(other, x, y))
                ++difference.differingOffEdges;
        }
    return difference;
}

bool withinImplementationDifferences(const FrameDifference& difference)
{
    return difference.differing < difference.pixels * maximumDifferingPercent / 100 &&
           difference.differingOffEdges < difference.pixels / pixelsPerDifferenceOffEdges;
}
