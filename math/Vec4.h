#pragma once

// A four-component value used for points (w = 1), directions (w = 0) and colours.
// Every operation works on all four components: length() counts w too.
struct Vec4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    Vec4() = default;
    Vec4(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    float length() const;
    // Divides this vector by its length in place and returns the new value.
    Vec4 normalize();
};

Vec4 operator+(const Vec4& a, const Vec4& b);
Vec4 operator-(const Vec4& a, const Vec4& b);
Vec4 operator*(const Vec4& a, float s);

// The w of the operands is ignored; the result is a direction (w = 0).
Vec4 cross(const Vec4& a, const Vec4& b);
// a·(1−t) + b·t without clamping t, so t outside [0, 1] extrapolates.
Vec4 lerp(const Vec4& a, const Vec4& b, float t);
