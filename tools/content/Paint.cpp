#include "Paint.h"

namespace content {

Color cloth(Color base, float x, float y, uint32_t seed, float wear) {
    float mottle = fbm(x * 0.05f, y * 0.05f, 4, seed) - 0.5f;
    float weave = 0.5f * (std::sin(x * 2.2f) * std::sin(y * 2.2f)) + 0.5f;
    float fine = hashUnit(int(std::floor(x)), int(std::floor(y)), seed + 5u) - 0.5f;
    float crease =
        std::pow(1.0f - std::fabs(2.0f * fbm(x * 0.08f, y * 0.03f, 3, seed + 9u) - 1.0f), 6.0f);
    float k = 1.0f + 0.28f * mottle + 0.05f * (weave - 0.5f) + 0.06f * fine - 0.18f * crease * wear;
    Color c = shade(base, k);
    // Faded, dusty where the mottling is light.
    float dust = smoothstep(0.55f, 0.8f, fbm(x * 0.11f + 31, y * 0.11f, 3, seed + 3u)) * wear;
    return mix(c, rgb(120, 110, 92), 0.25f * dust);
}

Color skin(Color base, float x, float y, uint32_t seed) {
    float blotch = fbm(x * 0.09f, y * 0.09f, 4, seed) - 0.5f;
    float pore = hashUnit(int(std::floor(x * 1.5f)), int(std::floor(y * 1.5f)), seed + 1u) - 0.5f;
    Color c = shade(base, 1.0f + 0.16f * blotch + 0.04f * pore);
    // A little redness where the blotches run warm.
    c.r *= 1.0f + 0.06f * std::max(0.0f, blotch);
    return c;
}

Color granite(float x, float y, float height) {
    Color c = shade(rgb(128, 128, 122), 0.8f + 0.35f * fbm(x * 0.04f, y * 0.04f, 5, 201u));
    float speck = hashUnit(int(x), int(y), 203u);
    c = shade(c, speck > 0.93f ? 1.2f : (speck < 0.06f ? 0.75f : 1.0f));
    float lichen = smoothstep(0.62f, 0.7f, fbm(x * 0.08f + 5, y * 0.08f, 4, 205u));
    c = mix(c, rgb(150, 150, 90), 0.6f * lichen);
    // Moss and damp creep up from the ground; rain streaks run down.
    float moss = smoothstep(0.35f, 0.0f, height) * fbm(x * 0.1f, y * 0.1f, 3, 207u);
    c = mix(c, rgb(60, 86, 40), clamp01(moss * 1.6f));
    float streak = fbm(x * 0.3f, y * 0.01f, 2, 209u);
    return shade(c, 0.92f + 0.16f * streak);
}

Color woodGrain(Color base, float x, float y, uint32_t seed, float ringScale) {
    float warp = fbm(x * 0.04f, y * 0.01f, 4, seed) * 6.0f;
    float rings = std::sin((x * 0.55f * ringScale + warp * 2.5f)) * 0.5f + 0.5f;
    float streak = fbm(x * 0.6f, y * 0.015f, 3, seed + 4u);
    float fleck = hashUnit(int(x), int(y * 0.25f), seed + 8u);
    float k = 0.82f + 0.22f * rings * rings + 0.22f * (streak - 0.5f) + 0.05f * (fleck - 0.5f);
    return shade(base, k);
}

} // namespace content
