#include "Random.h"

#include "Math.h"

#include <cmath>

namespace content {

namespace {

uint32_t mix(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

int wrap(int v, int period) {
    int r = v % period;
    return r < 0 ? r + period : r;
}

float fade(float t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

float noiseLattice(float x, float y, int px, int py, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = fade(x - fx), ty = fade(y - fy);
    int x0 = px ? wrap(ix, px) : ix, x1 = px ? wrap(ix + 1, px) : ix + 1;
    int y0 = py ? wrap(iy, py) : iy, y1 = py ? wrap(iy + 1, py) : iy + 1;
    float a = hashUnit(x0, y0, seed), b = hashUnit(x1, y0, seed);
    float c = hashUnit(x0, y1, seed), d = hashUnit(x1, y1, seed);
    return lerp(lerp(a, b, tx), lerp(c, d, tx), ty);
}

} // namespace

float hashUnit(int x, int y, uint32_t seed) {
    uint32_t h = mix(uint32_t(x) * 0x8DA6B343u ^ mix(uint32_t(y) * 0xD8163841u ^ seed));
    return float(h >> 8) * (1.0f / 16777216.0f);
}

float hashUnit3(int x, int y, int z, uint32_t seed) {
    return hashUnit(x, y, mix(uint32_t(z) * 0xCB1AB31Fu ^ seed));
}

float valueNoise(float x, float y, uint32_t seed) {
    return noiseLattice(x, y, 0, 0, seed);
}

float valueNoiseTiled(float x, float y, int periodX, int periodY, uint32_t seed) {
    return noiseLattice(x, y, periodX, periodY, seed);
}

float fbm(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoise(x, y, seed + uint32_t(i) * 131u);
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

float fbmTiled(float x, float y, int periodX, int periodY, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoiseTiled(x, y, periodX, periodY, seed + uint32_t(i) * 131u);
        norm += amp;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

float cellular(float x, float y, int periodX, int periodY, uint32_t seed, float* cellHash) {
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float best = 1e9f, bestHash = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int cx = ix + dx, cy = iy + dy;
            int hx = periodX ? wrap(cx, periodX) : cx, hy = periodY ? wrap(cy, periodY) : cy;
            float fx = cx + hashUnit(hx, hy, seed), fy = cy + hashUnit(hx, hy, seed + 77u);
            float d = std::sqrt((fx - x) * (fx - x) + (fy - y) * (fy - y));
            if (d < best) {
                best = d;
                bestHash = hashUnit(hx, hy, seed + 999u);
            }
        }
    }
    if (cellHash)
        *cellHash = bestHash;
    return best;
}

} // namespace content
