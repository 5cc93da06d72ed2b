#include "Sky.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace assets {

Vec3 cubeFaceDirection(int face, float s, float t)
{
    float sc = 2.0f * s - 1.0f, tc = 2.0f * t - 1.0f;
    switch (face) {
    case 0:
        return {1.0f, -tc, -sc};
    case 1:
        return {-1.0f, -tc, sc};
    case 2:
        return {sc, 1.0f, tc};
    case 3:
        return {sc, -1.0f, -tc};
    case 4:
        return {sc, -tc, 1.0f};
    default:
        return {-sc, -tc, -1.0f};
    }
}

namespace {

Vec3 mixColor(Vec3 a, Vec3 b, float t)
{
    return a + (b - a) * t;
}

}  // namespace

Vec3 skyColor(Vec3 d)
{
    const Vec3 horizon{0.80f, 0.86f, 0.92f};
    const Vec3 zenith{0.20f, 0.42f, 0.78f};
    const Vec3 below{0.52f, 0.56f, 0.58f};
    float elevation = d.y;
    if (elevation < 0.0f)
        return mixColor(horizon, below, smoothstep(0.0f, 0.25f, -elevation));
    Vec3 sky = mixColor(horizon, zenith, std::pow(elevation, 0.55f));
    // A faint warm glow low in the sky towards +x, where the light rises.
    Vec3 flat = normalize(Vec3{d.x, 0.0f, d.z});
    float glow = std::pow(std::max(0.0f, flat.x), 6.0f) * (1.0f - smoothstep(0.0f, 0.5f, elevation));
    sky = mixColor(sky, Vec3{0.98f, 0.90f, 0.78f}, 0.35f * glow);

    // Clouds on a flat layer above the viewer: projecting the direction onto it makes them
    // shrink and thin out towards the horizon like real cloud fields.
    float distance = 1.0f / (elevation + 0.12f);
    float px = d.x * distance * 1.6f, pz = d.z * distance * 1.6f;
    float density = fbm3(px, 3.7f, pz, 6, 97U);
    float detail = fbm3(px * 3.0f, 11.3f, pz * 3.0f, 4, 89U);
    float cover = smoothstep(0.47f, 0.70f, density + 0.12f * (detail - 0.5f));
    float fade = smoothstep(0.02f, 0.30f, elevation);
    Vec3 lit{0.98f, 0.98f, 0.97f};
    Vec3 shaded{0.70f, 0.74f, 0.80f};
    Vec3 cloud = mixColor(lit, shaded, smoothstep(0.62f, 0.9f, density));
    return mixColor(sky, cloud, 0.92f * cover * fade);
}

Image skyFace(int face, int size)
{
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Vec3 d = normalize(cubeFaceDirection(face, (x + 0.5f) / size, (y + 0.5f) / size));
            Vec3 c = skyColor(d);
            // Half a step of dither breaks the 8-bit bands of the smooth gradient.
            float dither = (latticeValue(x, y, face, 7U) - 0.5f) / 255.0f;
            image.set(x, y, c.x + dither, c.y + dither, c.z + dither);
        }
    }
    return image;
}

}  // namespace assets
