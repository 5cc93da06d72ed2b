#pragma once

// A point or direction in double precision, for the tests that check geometry on the CPU
// independently of the program's float math.

#include <cmath>

struct Point {
    double x = 0, y = 0, z = 0;
};

inline Point operator+(Point a, Point b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Point operator-(Point a, Point b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Point operator*(Point a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline double dot(Point a, Point b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Point cross(Point a, Point b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Point a)
{
    return std::sqrt(dot(a, a));
}
inline Point normalized(Point a)
{
    return a * (1.0 / length(a));
}
