#include "math/Vec4.h"

#include <cmath>

float Vec4::length() const
{
    return std::sqrt(x * x + y * y + z * z + w * w);
}

Vec4 Vec4::normalize()
{
    const float len = length();
    x /= len;
    y /= len;
    z /= len;
    w /= len;
    return *this;
}

Vec4 operator+(const Vec4& a, const Vec4& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}

Vec4 operator-(const Vec4& a, const Vec4& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}

Vec4 operator*(const Vec4& a, float s)
{
    return {s * a.x, s * a.y, s * a.z, s * a.w};
}

Vec4 cross(const Vec4& a, const Vec4& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0.0f};
}

Vec4 lerp(const Vec4& a, const Vec4& b, float t)
{
    return a * (1.0f - t) + b * t;
}
