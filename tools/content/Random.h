#pragma once

#include <cstdint>

namespace content {

// A small fixed generator so that every run writes the same bytes, whatever
// the standard library's distributions do.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

    uint32_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return uint32_t((z ^ (z >> 31)) >> 32);
    }
    // Uniform in [0, 1).
    float unit() { return float(next() >> 8) * (1.0f / 16777216.0f); }
    // Uniform in [lo, hi).
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
    int below(int n) { return int(next() % uint32_t(n)); }

private:
    uint64_t state;
};

// Lattice hash in [0, 1) for value noise.
float hashUnit(int x, int y, uint32_t seed);
float hashUnit3(int x, int y, int z, uint32_t seed);

// Smooth value noise in [0, 1); the periodic variants tile with the given
// integer periods so that textures wrap without seams.
float valueNoise(float x, float y, uint32_t seed);
float valueNoiseTiled(float x, float y, int periodX, int periodY, uint32_t seed);
// Fractal sums of the above, normalised to [0, 1).
float fbm(float x, float y, int octaves, uint32_t seed);
float fbmTiled(float x, float y, int periodX, int periodY, int octaves, uint32_t seed);
// Distance to the nearest feature point of a tiled cellular pattern, and the
// hash of that cell, for stones, scales and blotches.
float cellular(float x, float y, int periodX, int periodY, uint32_t seed,
               float* cellHash = nullptr);

} // namespace content
