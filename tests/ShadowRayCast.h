#pragma once

// The CPU's answer to "which pixels are in shadow": the depth a real frame leaves behind is
// unprojected to world points, and each is ray-cast towards the light against the casters'
// own triangles. The stencil tests compare it with the stencil buffer, the breakdown test with
// the breakdown tool's stencil picture.

#include "Point.h"

#include "app/Renderer.h"

#include <array>
#include <vector>

using Triangle = std::array<Point, 3>;

// The casters' triangles in the world of one pass, in runs of consecutive ones, each run with
// its bounding box: the meshes keep neighbouring triangles together, so most segments are
// decided by a few boxes.
class Occluders {
public:
    // Read back from the GL buffers the casters are drawn from, in the world of the pass
    // (mirrored: the reflection pass).
    Occluders(const std::vector<Renderable*>& casters, bool mirrored);

    // Whether the segment from a to b passes through a triangle.
    bool blocked(Point a, Point b) const;

private:
    struct Run {
        Point low, high;
        size_t first, end;
    };
    std::vector<Triangle> triangles;
    std::vector<Run> runs;

    static bool segmentMeetsBox(const Run& run, Point a, Point d);
    // Möller and Trumbore: hit parameter t along d and barycentric u, v.
    static bool segmentMeetsTriangle(const Triangle& T, Point a, Point d);
};

// The depth and stencil of the framebuffer bound for reading, and how to turn its pixels
// back into world points.
struct Target {
    int width, height;
    std::vector<float> depth;
    std::vector<unsigned char> stencil;
    Mat4 projection, view;
    float sample[2] = {0.5f, 0.5f};  // where in its pixel the read depth was taken

    // Reads the framebuffer bound for reading, w x h pixels, rendered with P and V.
    Target(int w, int h, const Mat4& P, const Mat4& V);

    float depthAt(int x, int y) const { return depth[size_t(y) * size_t(width) + size_t(x)]; }
    bool shadowAt(int x, int y) const { return stencil[size_t(y) * size_t(width) + size_t(x)] != 0; }

    // The inverse of the perspective projection, then of the rigid view matrix.
    Point world(int x, int y) const;
};

// Of the compared samples: how many GPU and CPU agree on, how many the CPU finds in shadow.
struct Agreement {
    int compared = 0, agreed = 0, shadowed = 0;
    double fraction() const { return compared ? double(agreed) / compared : 0.0; }
};

// Whether target's stencil says "in shadow" where the ray cast does, in the pass of the
// renderer's last frame that target was read from, seen from its camera and lit by its light
// (mirrored: the reflection pass). Samples every spacing-th pixel. A sample counts when it
// shows geometry (not the cleared depth), lies on a smooth surface turned towards the light,
// and its neighbours on the grid get the same CPU answer, so that rasterisation at shadow
// edges and depth steps cannot decide it.
Agreement compareWithRayCast(Renderer& renderer, const Target& target, bool mirrored,
                             const std::vector<Renderable*>& casters, int spacing);
