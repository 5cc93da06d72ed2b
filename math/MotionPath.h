#pragma once

#include "math/Vec4.h"
#include "scene/SceneObject.h"

#include <vector>

// A control point: the curve passes through position with direction tangent; the weights
// are the tangent lengths of the segment leaving and the segment entering the point.
struct PathPoint {
    Vec4 position;  // w = 1
    Vec4 tangent;   // w = 0, need not be unit length
    float outWeight = 0.0f;
    float inWeight = 0.0f;
};

// A chain of cubic Bézier segments, one per unit of the parameter. Its scene-node part is
// unused.
struct MotionPath : SceneObject {
    std::vector<PathPoint> points;
    bool loop = false;  // when true the last point is joined back to the first

    // The point at parameter t; reads two points and allocates nothing.
    Vec4 evaluate(float t) const;
};
