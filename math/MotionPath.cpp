#include "math/MotionPath.h"

#include <algorithm>
#include <cmath>

Vec4 MotionPath::evaluate(float t) const
{
    const int n = int(points.size());
    if (n == 0)
        return {0.0f, 0.0f, 0.0f, 1.0f};
    if (n == 1)
        return points[0].position;

    const int segmentCount = loop ? n : n - 1;
    // Wrap t into [0, segmentCount). The remainder is taken towards negative infinity, so
    // a negative t wraps backwards instead of selecting a point before the first one.
    const float whole = std::floor(t);
    int remainder = int(whole) % segmentCount;
    if (remainder < 0)
        remainder += segmentCount;
    const float wrapped = t - (whole - float(remainder));

    // Rounding in the subtraction above can land exactly on segmentCount.
    const int start = std::min(int(std::floor(wrapped)), segmentCount - 1);
    const float u = std::clamp(wrapped - float(start), 0.0f, 1.0f);
    const int end = u == 0.0f ? start : (start + 1) % n;

    const PathPoint& P = points[start];
    const PathPoint& Q = points[end];
    const Vec4 b0 = P.position;
    const Vec4 b1 = P.position + P.tangent * P.outWeight;
    const Vec4 b2 = Q.position - Q.tangent * Q.inWeight;
    const Vec4 b3 = Q.position;

    // De Casteljau.
    const Vec4 c0 = lerp(b0, b1, u);
    const Vec4 c1 = lerp(b1, b2, u);
    const Vec4 c2 = lerp(b2, b3, u);
    const Vec4 d0 = lerp(c0, c1, u);
    const Vec4 d1 = lerp(c1, c2, u);
    return lerp(d0, d1, u);
}
