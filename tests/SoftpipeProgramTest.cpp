// Mesa's softpipe is a second rasteriser with its own shader execution, texture sampling and
// rasterisation. Two of the README's frames rendered by it must match llvmpipe's except on
// edges: a difference across a surface means the frame depends on something drivers may do
// differently (an undefined value, precision, a rasterisation rule), and most users' drivers
// will then show something else. Edges may differ: softpipe has no multisampling, llvmpipe's
// window has four samples. Textured surfaces differ by a few levels, because the two pick
// and blend mipmap levels slightly differently, as GL allows.

#include "GLTestSupport.h"
#include "common/Image.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

constexpr int width = 640, height = 480;
constexpr int tolerance = 16;  // levels a channel may differ by anywhere

int difference(const Image& a, const Image& b, size_t pixel)
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
                const int value = picture.rgb[3 * (size_t(row) * width + size_t(column)) + channel];
                low = std::min(low, value);
                high = std::max(high, value);
            }
        if (high - low > tolerance)
            return true;
    }
    return false;
}

void capture(const char* driver, const std::string& directory)
{
    const std::string command = std::string("cd '" OKV_DATA_DIR "' && GALLIUM_DRIVER=") + driver + " '" +
                                OKV_CAPTURE_BINARY "' '" + directory + "' 640 480 7 1.5 > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

} // namespace

TEST(SoftpipeProgramTest, TwoReadmeFramesMatchLlvmpipesExceptOnEdges)
{
    // Mesa falls back to llvmpipe silently when it has no softpipe; then nothing is compared.
    ASSERT_NE(commandOutput("GALLIUM_DRIVER=softpipe glxinfo -B").find("renderer string: softpipe"),
              std::string::npos);
    TemporaryDirectory llvmpipe, softpipe;
    capture("llvmpipe", llvmpipe.path());
    capture("softpipe", softpipe.path());

    for (const char* frame : {"okv-7.png", "okv-1.5.png"}) {
        SCOPED_TRACE(frame);
        const Image reference = loadImage(llvmpipe.path() + "/" + frame);
        const Image second = loadImage(softpipe.path() + "/" + frame);
        ASSERT_EQ(reference.rgb.size(), size_t(width) * height * 3);
        ASSERT_EQ(second.rgb.size(), reference.rgb.size());
        int differing = 0, differingOffEdges = 0;
        for (int y = 1; y < height - 1; ++y)
            for (int x = 1; x < width - 1; ++x) {
                if (difference(reference, second, size_t(y) * width + size_t(x)) <= tolerance)
                    continue;
                ++differing;
                if (!onEdge(reference, x, y) && !onEdge(second, x, y))
                    ++differingOffEdges;
            }
        // Measured: 1.3% and 0.5% differ, all on edges but one pixel.
        EXPECT_LT(differing, width * height * 3 / 100);
        EXPECT_LT(differingOffEdges, width * height / 2000);
    }
}
