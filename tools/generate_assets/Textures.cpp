#include "Textures.h"

#include "Geometry.h"
#include "Noise.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace assets {

namespace {

const float pi = 3.14159265358979f;

using Field = std::function<float(float u, float v)>;

std::vector<float> sampleField(int size, const Field& field)
{
    std::vector<float> heights(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            heights[static_cast<size_t>(y) * size + x] = field((x + 0.5f) / size, (y + 0.5f) / size);
    return heights;
}

// Every pixel of a size x size texture in the colour at its centre, in texture coordinates.
Image paint(int size, const std::function<Vec3(float u, float v)>& colourAt)
{
    Image image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Vec3 colour = colourAt((x + 0.5f) / size, (y + 0.5f) / size);
            image.set(x, y, colour.x, colour.y, colour.z);
        }
    return image;
}

// Central differences that wrap around the edges, so the normal map tiles like the height.
Image normalFromHeight(int size, const std::vector<float>& heights, float strength)
{
    Image image(size, size);
    auto h = [&](int x, int y) {
        x = (x + size) % size;
        y = (y + size) % size;
        return heights[static_cast<size_t>(y) * size + x];
    };
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float dx = (h(x + 1, y) - h(x - 1, y)) * 0.5f * strength * size;
            float dy = (h(x, y + 1) - h(x, y - 1)) * 0.5f * strength * size;
            float length = std::sqrt(dx * dx + dy * dy + 1.0f);
            image.set(x, y, 0.5f - 0.5f * dx / length, 0.5f - 0.5f * dy / length, 0.5f + 0.5f / length);
        }
    }
    return image;
}

float marbleVeins(float u, float v)
{
    // Bands of a sine along a diagonal, bent by smooth noise into meandering veins; a soft halo
    // around the sharp core keeps them from looking like cracks.
    float warp = periodicFbm(u, v, 2, 4, 11U);
    float band = 1.0f - std::fabs(std::sin(2.0f * pi * (u + v) + 6.0f * warp));
    float primary = 0.75f * std::pow(band, 24.0f) + 0.25f * std::pow(band, 5.0f);
    float warp2 = periodicFbm(u, v, 3, 4, 23U);
    float band2 = 1.0f - std::fabs(std::sin(2.0f * pi * (2.0f * u - v) + 8.0f * warp2));
    float secondary = std::pow(band2, 40.0f);
    return std::min(1.0f, primary + 0.45f * secondary);
}

float marbleGrain(float u, float v)
{
    return periodicFbm(u, v, 32, 3, 37U);
}

// A fine joint through the middle of the texture in both directions: every repeat becomes one
// dressed block or slab, so the repetition reads as masonry instead of as the same veins
// recurring. In the middle rather than on the border, the texture's own wrap stays smooth.
float marbleJoint(float u, float v, int size)
{
    float d = std::min(std::fabs(u - 0.5f), std::fabs(v - 0.5f)) * size;
    return 1.0f - smoothstep(0.5f, 2.0f, d);
}

// Running-bond tiles, four by four per texture: distance to the nearest joint in tile units
// and a number per tile for its colour.
void tileAt(float u, float v, float& jointDistance, int& tileNumber)
{
    const int tiles = 4;
    float row = v * tiles;
    int rowIndex = static_cast<int>(std::floor(row));
    float column = u * tiles + ((rowIndex & 1) ? 0.5f : 0.0f);
    int columnIndex = static_cast<int>(std::floor(column));
    float fu = column - columnIndex, fv = row - rowIndex;
    jointDistance = std::min(std::min(fu, 1.0f - fu), std::min(fv, 1.0f - fv));
    tileNumber = (rowIndex % tiles) * tiles + (columnIndex % tiles);
}

float tileHeight(float u, float v)
{
    float joint = 0.0f;
    int number = 0;
    tileAt(u, v, joint, number);
    float bevel = smoothstep(0.025f, 0.07f, joint);
    return 0.6f * bevel + 0.04f * periodicFbm(u, v, 16, 4, 41U);
}

float grassPatches(float u, float v)
{
    return periodicFbm(u, v, 8, 4, 53U);
}

float grassBlades(float u, float v)
{
    return 0.6f * periodicFbm(u, v, 64, 2, 61U) + 0.4f * periodicFbm(u, v, 16, 3, 67U);
}

float waveHeight(float u, float v)
{
    // Integer wave numbers keep every wave periodic over the texture.
    static const int waves[][2] = {{1, 2}, {3, -1}, {-2, 3}, {5, 2}, {-4, -5}, {7, -3}};
    static const float amplitudes[] = {0.30f, 0.24f, 0.20f, 0.12f, 0.08f, 0.06f};
    static const float phases[] = {0.3f, 1.7f, 4.1f, 2.2f, 5.3f, 0.9f};
    float h = 0.0f;
    for (int i = 0; i < 6; ++i)
        h += amplitudes[i] * std::sin(2.0f * pi * (waves[i][0] * u + waves[i][1] * v) + phases[i]);
    return h * 0.5f + 0.35f * periodicFbm(u, v, 8, 4, 71U);
}

}  // namespace

Image marbleDiffuse(int size)
{
    return paint(size, [size](float u, float v) {
        float veins = marbleVeins(u, v);
        float cloud = periodicFbm(u, v, 4, 6, 29U);
        float grain = marbleGrain(u, v);
        float light = 0.86f + 0.14f * cloud + 0.03f * (grain - 0.5f);
        float warmth = 0.03f * smoothstep(0.45f, 0.75f, periodicFbm(u, v, 2, 4, 31U));
        float r = light * (0.95f + warmth) - 0.30f * veins;
        float g = light * (0.93f + 0.5f * warmth) - 0.29f * veins;
        float b = light * 0.89f - 0.26f * veins;
        float joint = 1.0f - 0.3f * marbleJoint(u, v, size);
        return Vec3{r * joint, g * joint, b * joint};
    });
}

Image marbleNormal(int size)
{
    auto heights = sampleField(size, [size](float u, float v) {
        return 0.3f * marbleGrain(u, v) - 0.1f * marbleVeins(u, v) + 0.3f * periodicFbm(u, v, 8, 3, 43U) -
               0.4f * marbleJoint(u, v, size);
    });
    // Polished stone: only a faint ripple, or large surfaces read as rough concrete.
    return normalFromHeight(size, heights, 0.005f);
}

Image stoneTileDiffuse(int size)
{
    return paint(size, [](float u, float v) {
        float joint = 0.0f;
        int number = 0;
        tileAt(u, v, joint, number);
        float tone = latticeValue(number, 0, 0, 47U) - 0.5f;
        float hue = latticeValue(number, 1, 0, 47U) - 0.5f;
        float surface = periodicFbm(u, v, 8, 6, 59U);
        float pits = smoothstep(0.74f, 0.80f, periodicFbm(u, v, 32, 3, 73U));
        float shade = 0.9f + 0.16f * tone + 0.25f * (surface - 0.5f) - 0.12f * pits;
        float r = shade * (0.80f + 0.04f * hue), g = shade * 0.73f, b = shade * (0.62f - 0.04f * hue);
        float grout = 1.0f - smoothstep(0.02f, 0.035f, joint);
        float groutShade = 0.40f + 0.08f * surface;
        return Vec3{r + (groutShade - r) * grout, g + (groutShade * 0.97f - g) * grout,
                    b + (groutShade * 0.92f - b) * grout};
    });
}

Image stoneTileNormal(int size)
{
    return normalFromHeight(size, sampleField(size, tileHeight), 0.02f);
}

Image grassDiffuse(int size)
{
    return paint(size, [](float u, float v) {
        float blades = grassBlades(u, v);
        float patches = grassPatches(u, v);
        // The texture repeats a hundred times across the ground, so broad features would form
        // a visible grid: only small dry tufts and earth spots, at low contrast.
        float dry = smoothstep(0.55f, 0.75f, periodicFbm(u, v, 8, 4, 79U));
        float r = 0.20f + 0.20f * blades + 0.06f * dry;
        float g = 0.33f + 0.24f * blades + 0.03f * dry;
        float b = 0.10f + 0.07f * blades;
        float earth = 0.5f * smoothstep(0.64f, 0.74f, patches) * (0.6f + 0.4f * blades);
        float er = 0.42f + 0.12f * blades, eg = 0.33f + 0.10f * blades, eb = 0.22f + 0.06f * blades;
        return Vec3{r + (er - r) * earth, g + (eg - g) * earth, b + (eb - b) * earth};
    });
}

Image grassNormal(int size)
{
    return normalFromHeight(size, sampleField(size, grassBlades), 0.01f);
}

Image waterDiffuse(int size)
{
    return paint(size, [](float u, float v) {
        float h = waveHeight(u, v);
        return Vec3{0.10f + 0.06f * h, 0.32f + 0.08f * h, 0.38f + 0.08f * h};
    });
}

Image waveNormal(int size)
{
    return normalFromHeight(size, sampleField(size, waveHeight), 0.06f);
}

Image glowDiffuse(int size)
{
    return paint(size, [](float u, float v) {
        float n = periodicFbm(u, v, 4, 3, 83U);
        return Vec3{1.0f, 0.93f + 0.05f * n, 0.78f + 0.1f * n};
    });
}

Image flatNormal(int size)
{
    return paint(size, [](float, float) { return Vec3{0.5f, 0.5f, 1.0f}; });
}

}  // namespace assets
