// A weathered headstone at the head of a grave mound; zombies rise from the
// mound, which lies over the origin.

#include "Figure.h"
#include "Paint.h"

#include <cmath>

namespace content {

Figure makeGraveStone() {
    Figure f;
    const Rect face{0, 0, 160, 192}, side{160, 0, 96, 64}, base{160, 64, 96, 64},
        mound{0, 192, 256, 64}, back{160, 128, 96, 64};
    Mesh& m = f.mesh;

    // The stone: an arched slab, 24 wide and 5 thick, its front facing +x.
    const float halfW = 11.5f, top = 53.0f, shoulder = 45.0f, bottom = 2.0f;
    std::vector<Vec3> outline;
    outline.push_back({0, -halfW, bottom});
    outline.push_back({0, halfW, bottom});
    for (int i = 0; i <= 12; ++i) {
        float a = kPi * float(i) / 12.0f;
        float chip = (i == 3) ? 0.85f : 1.0f; // a broken corner
        outline.push_back(
            {0, halfW * std::cos(a) * chip, shoulder + (top - shoulder) * std::sin(a) * chip});
    }
    int first = int(m.pos.size());
    addPrism(m, outline, {-4.5f, 0, 0}, face, side);
    // Lean back a little and twist, as old stones do.
    m.transform(Mat::rotateAbout({-2, 0, bottom}, {0, 1, 0}, radians(-5)) *
                    Mat::rotateAbout({-2, 0, bottom}, {1, 0, 0}, radians(2.5f)) *
                    Mat::translate({-7.5f, 0, 0}),
                first);
    // Plinth.
    addBox(m, {-13.5f, -13.5f, 0}, {-5.0f, 13.5f, 3.2f}, base);
    // The grave mound in front of it: a low dome over the origin.
    {
        std::vector<Ring> rings;
        const int n = 7;
        for (int i = 0; i <= n; ++i) {
            float t = float(i) / n; // 0 at the rim, 1 at the crest
            Ring r;
            float h = 4.5f * std::sin(t * kPi / 2);
            float k = std::cos(t * kPi / 2);
            r.c = {2.5f, 0, h};
            r.rx = 15.5f * k + 0.01f;
            r.ry = 10.0f * k + 0.01f;
            r.v = 1.0f - t;
            rings.push_back(r);
        }
        rings.front().c.z = -0.5f; // sink the rim into the grass
        LoftStyle s;
        s.segments = 16;
        s.uv = mound;
        s.capStart = false;
        s.capEnd = false;
        s.radius = [](float theta, float v) {
            return 1.0f + 0.06f * std::sin(theta * 5.0f + 1.0f) * (1.0f - v * 0.5f);
        };
        addLoft(m, rings, s);
    }

    f.skin.paint(face, [&](float u, float v) {
        float x = u * face.w, y = v * face.h;
        Color c = granite(x, y, 1.0f - v);
        // Carved cross and inscription lines, dark in their grooves with a
        // lit lower lip.
        auto groove = [&](float d) { return line(d, 0.012f, 0.01f); };
        float cross = 0;
        if (std::fabs(u - 0.5f) < 0.03f && v > 0.1f && v < 0.42f)
            cross = 1;
        if (std::fabs(v - 0.2f) < 0.025f && std::fabs(u - 0.5f) < 0.13f)
            cross = 1;
        float text = 0;
        for (float row : {0.52f, 0.6f, 0.68f}) {
            float len = row == 0.6f ? 0.24f : 0.32f;
            if (std::fabs(v - row) < 0.018f && std::fabs(u - 0.5f) < len) {
                // Letters: gaps at a fixed rhythm.
                float letter = std::fmod(u * 40.0f + row * 13.0f, 1.0f);
                text = letter < 0.72f ? 1.0f : 0.0f;
                if (std::fmod(u * 40.0f + row * 7.0f, 6.3f) < 1.0f)
                    text = 0; // word gaps
            }
        }
        c = mix(c, rgb(40, 40, 38), 0.85f * std::max(cross, text));
        c = shade(c, 1.0f - 0.15f * groove(v - 0.75f));
        // Weathered edges and a crack.
        float crack = line(u - 0.78f - 0.05f * std::sin(v * 20.0f) - 0.1f * v, 0.004f, 0.004f) *
                      smoothstep(0.05f, 0.3f, v) * smoothstep(0.6f, 0.45f, v);
        c = mix(c, rgb(30, 30, 30), 0.8f * crack);
        float edge = std::min(std::min(u, 1 - u), v);
        return shade(c, 0.8f + 0.2f * smoothstep(0.0f, 0.06f, edge));
    });
    f.skin.paint(side,
                 [&](float u, float v) { return shade(granite(u * 200, v * 40, 1 - v), 0.9f); });
    f.skin.paint(back, [&](float u, float v) { return granite(u * 96 + 500, v * 64, 1 - v); });
    f.skin.paint(base, [&](float u, float v) {
        return mix(granite(u * 96 + 300, v * 64, 0.2f), rgb(70, 80, 50), 0.3f * v);
    });
    f.skin.paint(mound, [&](float u, float v) {
        float x = u * mound.w, y = v * mound.h;
        // Dark, loose earth with pebbles; grass creeping in at the rim.
        Color c = shade(rgb(78, 58, 40), 0.7f + 0.5f * fbm(x * 0.12f, y * 0.12f, 4, 211u));
        float pebble = 0;
        float cell = cellular(x * 0.18f, y * 0.18f, 0, 0, 213u, &pebble);
        if (cell < 0.22f && pebble > 0.6f)
            c = shade(rgb(120, 112, 100), 0.8f + 0.4f * pebble);
        float grass = smoothstep(0.55f, 0.95f, v + 0.3f * fbm(x * 0.2f, y * 0.2f, 3, 215u));
        Color blades = shade(rgb(70, 100, 40), 0.7f + 0.5f * hashUnit(int(x), int(y * 0.3f), 217u));
        return mix(c, blades, grass);
    });
    f.addAnimation("stand", 1, [&](int) { return m.pos; });
    return f;
}

} // namespace content
