#pragma once

#include "Canvas.h"
#include "Random.h"

#include <cmath>

namespace content {

// Coverage of a line of the given half width at signed distance d, with a
// one-texel soft edge (width in the same units as d, soft in d units too).
inline float line(float d, float halfWidth, float soft) {
    return 1.0f - smoothstep(halfWidth, halfWidth + soft, std::fabs(d));
}

// The angle round a loft of a texture column u: 0 (the front) mid-way.
inline float aroundAngle(float u) {
    return 2 * kPi * (u - 0.5f);
}

// Distance between two angles, wrapped into [0, pi].
inline float angleDist(float a, float b) {
    float d = std::fmod(std::fabs(a - b), 2 * kPi);
    return d > kPi ? 2 * kPi - d : d;
}

// Inside a soft-edged ellipse centred on (cx, cy) with radii (rx, ry).
inline float ellipse(float x, float y, float cx, float cy, float rx, float ry, float soft = 0.15f) {
    float dx = (x - cx) / rx, dy = (y - cy) / ry;
    return 1.0f - smoothstep(1.0f - soft, 1.0f + soft, std::sqrt(dx * dx + dy * dy));
}

// Woven cloth: base colour with mottling, a fine weave and faded creases;
// x and y are in texels of the part so the grain keeps one size everywhere.
Color cloth(Color base, float x, float y, uint32_t seed, float wear = 0.5f);
// Tanned or grey skin with pores and blotches.
Color skin(Color base, float x, float y, uint32_t seed);
// Weathered granite with lichen, moss creeping up from the ground (height 0
// at the foot, 1 at the top) and rain streaks; x and y in texels.
Color granite(float x, float y, float height);
// Wood grain running along y.
Color woodGrain(Color base, float x, float y, uint32_t seed, float ringScale = 1.0f);

} // namespace content
