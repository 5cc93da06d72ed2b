#pragma once

#include "math/Vec4.h"

#include <array>

// How translate() and scale() combine the new transform T with the matrix M.
enum TransformOrder : int {
    Local = 0,   // M := M·T, T acts in the object's own frame
    Global = 1,  // M := T·M, T acts in the parent frame
    // scale: along the parent axes, but about the object's own origin (its position), not
    // the parent's: the translation stays as it was. translate: the same as Global.
    GlobalAboutOrigin = 2
};

// Sixteen floats, column-major with column vectors: element (row r, column c) is m[4c + r],
// the translation sits at 12, 13, 14. This is the layout glUniformMatrix4fv expects with
// transpose GL_FALSE, so matrices are uploaded exactly as stored.
struct Mat4 {
    std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    float& operator[](int index) { return m[index]; }
    float operator[](int index) const { return m[index]; }
    const float* data() const { return m.data(); }

    // Transforms a column vector: M·v.
    Vec4 operator*(const Vec4& v) const;
};

struct AxisScales {
    float x;
    float y;
    float z;
};

Mat4 operator*(const Mat4& a, const Mat4& b);

// M := M·X. X may be M itself.
void postMultiply(Mat4& M, const Mat4& X);
// M := X·M. X may be M itself.
void preMultiply(Mat4& M, const Mat4& X);
// An order outside TransformOrder leaves M unchanged.
void translate(Mat4& M, float x, float y, float z, int order);
void scale(Mat4& M, float x, float y, float z, int order);
// Overwrites M with a right-handed view matrix R·T(−eye); up need not be unit or orthogonal.
void lookAt(Mat4& M, const Vec4& eye, const Vec4& target, const Vec4& up);
Mat4 withoutTranslation(const Mat4& M);
// The lengths of the images of the three unit axes: the scale M applies along each.
AxisScales axisScales(const Mat4& M);
