#include "math/Mat4.h"

#include <cmath>

Vec4 Mat4::operator*(const Vec4& v) const
{
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w,    // x
            m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,    // y
            m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w,   // z
            m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w};  // w
}

Mat4 operator*(const Mat4& a, const Mat4& b)
{
    Mat4 result;
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * k + row] * b[4 * column + k];
            result[4 * column + row] = sum;
        }
    }
    return result;
}

// Both operands are read before M is written, so X may be M itself: M·M squares it.
void postMultiply(Mat4& M, const Mat4& X)
{
    M = M * X;
}

void preMultiply(Mat4& M, const Mat4& X)
{
    M = X * M;
}

void translate(Mat4& M, float x, float y, float z, int order)
{
    Mat4 T;
    T[12] = x;
    T[13] = y;
    T[14] = z;
    if (order == Local)
        postMultiply(M, T);
    else if (order == Global || order == GlobalAboutOrigin)
        preMultiply(M, T);
}

void scale(Mat4& M, float x, float y, float z, int order)
{
    Mat4 S;
    S[0] = x;
    S[5] = y;
    S[10] = z;
    if (order == Local) {
        postMultiply(M, S);
    } else if (order == Global) {
        preMultiply(M, S);
    } else if (order == GlobalAboutOrigin) {
        const float position[3] = {M[12], M[13], M[14]};
        M[12] = M[13] = M[14] = 0.0f;
        preMultiply(M, S);
        M[12] = position[0];
        M[13] = position[1];
        M[14] = position[2];
    }
}

void lookAt(Mat4& M, const Vec4& eye, const Vec4& target, const Vec4& up)
{
    Vec4 f = target - eye;
    f.normalize();
    Vec4 s = cross(f, up);
    s.normalize();
    const Vec4 u = cross(s, f);

    M = Mat4();
    M[0] = s.x;
    M[4] = s.y;
    M[8] = s.z;
    M[1] = u.x;
    M[5] = u.y;
    M[9] = u.z;
    M[2] = -f.x;
    M[6] = -f.y;
    M[10] = -f.z;
    translate(M, -eye.x, -eye.y, -eye.z, Local);
}

Mat4 withoutTranslation(const Mat4& M)
{
    Mat4 result = M;
    result[12] = result[13] = result[14] = 0.0f;
    result[15] = 1.0f;
    return result;
}

// Measured as the distance between the transformed unit point and the transformed origin,
// which is the column length in exact arithmetic.
AxisScales axisScales(const Mat4& M)
{
    auto axisLength = [&M](int column) {
        float sum = 0.0f;
        for (int row = 0; row < 3; ++row) {
            const float difference = (M[column + row] + M[12 + row]) - M[12 + row];
            sum += difference * difference;
        }
        return std::sqrt(sum);
    };
    return {axisLength(0), axisLength(4), axisLength(8)};
}
