#pragma once

#include <cstdint>

namespace assets {

// Deterministic noise for the textures: every value follows from integer hashes of the
// lattice point and a fixed seed, never from a clock or a random device, so two runs of the
// generator write the same bytes.

// A value in [0, 1) for a lattice point.
float latticeValue(int32_t x, int32_t y, int32_t z, uint32_t seed);

// Smooth value noise in [0, 1) that repeats every `period` units along x and y, so textures
// built from it tile without seams.
float periodicNoise(float x, float y, int period, uint32_t seed);

// Fractal sum of periodicNoise: octave k has period basePeriod * 2^k over the same unit
// square; the result stays in [0, 1).
float periodicFbm(float x, float y, int basePeriod, int octaves, uint32_t seed);

// Non-repeating smooth value noise in [0, 1) and its fractal sum, for the sky.
float noise3(float x, float y, float z, uint32_t seed);
float fbm3(float x, float y, float z, int octaves, uint32_t seed);

float smoothstep(float edge0, float edge1, float x);

}  // namespace assets
