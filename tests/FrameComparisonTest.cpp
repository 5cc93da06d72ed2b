#include "FrameComparison.h"

#include <gtest/gtest.h>

namespace {

constexpr int side = 100;  // 10,000 pixels: the off-edge limit is 4 of them

// A grey frame, its left half dark: one vertical edge down the middle.
Image halvedFrame()
{
    Image picture;
    picture.width = picture.height = side;
    picture.rgb.assign(size_t(side) * side * 3, 128);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side / 2; ++x)
            for (int channel = 0; channel < 3; ++channel)
                picture.rgb[3 * (size_t(y) * side + size_t(x)) + size_t(channel)] = 40;
    return picture;
}

// Adds amount to the green channel of the columns [left, left + width).
Image changed(Image picture, int left, int width, int amount)
{
    for (int y = 0; y < side; ++y)
        for (int x = left; x < left + width; ++x)
            picture.rgb[3 * (size_t(y) * side + size_t(x)) + 1] =
                static_cast<unsigned char>(picture.rgb[3 * (size_t(y) * side + size_t(x)) + 1] + amount);
    return picture;
}

}  // namespace

TEST(FrameComparisonTest, DifferencesCountOnlyBeyondTheToleranceAndOffEdgesOnlyAcrossASurface)
{
    struct Case {
        const char* name;
        Image other;
        int unequal, differing, differingOffEdges;
        bool within;
    };
    // The one-pixel border is not compared: 98 pixels a column.
    const Image reference = halvedFrame();
    const Case cases[] = {
        {"the same frame", reference, 0, 0, 0, true},
        {"a surface a few levels off, as filtering may be", changed(reference, 60, 30, frameTolerance), 30 * (side - 2),
         0, 0, true},
        // The column left of the middle edge, moved by 20 levels: beside an edge in both frames.
        {"an edge drawn a little differently", changed(reference, side / 2 - 1, 1, 20), side - 2, side - 2, 0, true},
        // A stripe two columns wide in the bright half: its inner pixels see no edge in the
        // reference, but each sees the stripe's own border in the other frame.
        {"a stripe across a surface", changed(reference, 70, 2, 20), 2 * (side - 2), 2 * (side - 2), 0, true},
        // Three columns: the middle one is on an edge in neither frame.
        {"a band across a surface", changed(reference, 70, 3, 20), 3 * (side - 2), 3 * (side - 2), side - 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameDifference difference = compareFrames(reference, c.other);
        EXPECT_EQ(difference.pixels, side * side);
        EXPECT_EQ(difference.unequal, c.unequal);
        EXPECT_EQ(difference.differing, c.differing);
        EXPECT_EQ(difference.differingOffEdges, c.differingOffEdges);
        EXPECT_EQ(withinImplementationDifferences(difference), c.within);
    }
}

TEST(FrameComparisonTest, TheLimitsAreThreePercentDifferingAndOneInTwoThousandOffEdges)
{
    struct Case {
        int differing, differingOffEdges;
        bool within;
    };
    const Case cases[] = {
        {299, 0, true},
        {300, 0, false},  // 3% of 10,000
        {100, 4, true},
        {100, 5, false},  // 10,000 / 2000
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.differing << " differing, " << c.differingOffEdges << " off edges");
        FrameDifference difference;
        difference.pixels = 10000;
        difference.differing = c.differing;
        difference.differingOffEdges = c.differingOffEdges;
        EXPECT_EQ(withinImplementationDifferences(difference), c.within);
    }
}
