#include "Noise.h"

#include <cmath>

namespace assets {

namespace {

uint32_t mix(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

float fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}

int wrap(int32_t i, int period)
{
    int r = i % period;
    return r < 0 ? r + period : r;
}

}  // namespace

float latticeValue(int32_t x, int32_t y, int32_t z, uint32_t seed)
{
    uint32_t h = mix(seed ^ 0x9e3779b9U);
    h = mix(h ^ static_cast<uint32_t>(x));
    h = mix(h ^ static_cast<uint32_t>(y) * 0x85ebca6bU);
    h = mix(h ^ static_cast<uint32_t>(z) * 0xc2b2ae35U);
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float periodicNoise(float x, float y, int period, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    float tx = fade(x - fx), ty = fade(y - fy);
    int x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    int y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    float a = lerp(latticeValue(x0, y0, 0, seed), latticeValue(x1, y0, 0, seed), tx);
    float b = lerp(latticeValue(x0, y1, 0, seed), latticeValue(x1, y1, 0, seed), tx);
    return lerp(a, b, ty);
}

float periodicFbm(float x, float y, int basePeriod, int octaves, uint32_t seed)
{
    float sum = 0.0f, amplitude = 0.5f, total = 0.0f;
    int period = basePeriod;
    for (int k = 0; k < octaves; ++k) {
        sum += amplitude * periodicNoise(x * period, y * period, period, seed + 101U * k);
        total += amplitude;
        amplitude *= 0.5f;
        period *= 2;
    }
    return sum / total;
}

float noise3(float x, float y, float z, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy), iz = static_cast<int32_t>(fz);
    float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    float corner[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            for (int c = 0; c < 2; ++c)
                corner[a][b][c] = latticeValue(ix + a, iy + b, iz + c, seed);
    float x00 = lerp(corner[0][0][0], corner[1][0][0], tx), x10 = lerp(corner[0][1][0], corner[1][1][0], tx);
    float x01 = lerp(corner[0][0][1], corner[1][0][1], tx), x11 = lerp(corner[0][1][1], corner[1][1][1], tx);
    return lerp(lerp(x00, x10, ty), lerp(x01, x11, ty), tz);
}

float fbm3(float x, float y, float z, int octaves, uint32_t seed)
{
    float sum = 0.0f, amplitude = 0.5f, total = 0.0f, frequency = 1.0f;
    for (int k = 0; k < octaves; ++k) {
        sum += amplitude * noise3(x * frequency, y * frequency, z * frequency, seed + 101U * k);
        total += amplitude;
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum / total;
}

float smoothstep(float edge0, float edge1, float x)
{
    float t = (x - edge0) / (edge1 - edge0);
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    return t * t * (3.0f - 2.0f * t);
}

}  // namespace assets
