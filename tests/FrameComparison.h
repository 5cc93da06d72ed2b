#pragma once

// One frame rendered by two conforming GL implementations (another rasteriser, or the Windows
// build on another platform layer) may differ on edges and, by a few levels, in texture
// filtering; a difference across a surface means the frame depends on something drivers may
// do differently. Edges may differ: softpipe has no multisampling, llvmpipe's window has four
// samples. Textured surfaces differ by a few levels, because rasterisers pick and blend
// mipmap levels slightly differently, as GL allows.

#include "Picture.h"

constexpr int frameTolerance = 16;  // levels a channel may differ by anywhere

// Another implementation's frame differs in under this share of the pixels...
constexpr int maximumDifferingPercent = 3;
// ...and off edges in under one pixel in this many.
constexpr int pixelsPerDifferenceOffEdges = 2000;

struct FrameDifference {
    int pixels = 0;             // in one frame
    int unequal = 0;            // where some channel differs at all
    int differing = 0;          // where some channel differs by more than frameTolerance
    int differingOffEdges = 0;  // of those, on an edge in neither frame
};

// Compares two frames of one size, all but their one-pixel border.
FrameDifference compareFrames(const Picture& reference, const Picture& other);

// Whether the difference stays within what another conforming implementation may show.
bool withinImplementationDifferences(const FrameDifference& difference);
