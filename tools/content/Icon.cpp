// The icon is drawn from signed distances rather than painted into texture
// rectangles: each shape knows how far a point lies outside it, which gives
// clean anti-aliased edges, a dark outline that keeps it readable on light
// and dark desktops, and a rounded look from the distance's slope.

#include "Icon.h"
#include "Paint.h"

#include <cmath>
#include <functional>

namespace content {

namespace {

// Everything is laid out on a 128-unit square, y running down.
constexpr float kUnits = 128;
constexpr float kOutline = 1.6f;
const Color kInk = rgb(22, 18, 16);
const Color kFlesh = rgb(96, 128, 80);

float circle(Vec2 p, Vec2 c, float r) {
    return (p - c).length() - r;
}

float box(Vec2 p, Vec2 lo, Vec2 hi) {
    float qx = std::max(lo.x - p.x, p.x - hi.x), qy = std::max(lo.y - p.y, p.y - hi.y);
    float outside = Vec2(std::max(qx, 0.0f), std::max(qy, 0.0f)).length();
    return outside + std::min(std::max(qx, qy), 0.0f);
}

// A round-ended stroke from a to b whose radius runs from ra to rb.
float stroke(Vec2 p, Vec2 a, Vec2 b, float ra, float rb) {
    Vec2 ab = b - a, ap = p - a;
    float t = clamp01((ap.x * ab.x + ap.y * ab.y) / (ab.x * ab.x + ab.y * ab.y));
    return (ap - ab * t).length() - lerp(ra, rb, t);
}

float ellipseDistance(Vec2 p, Vec2 c, float rx, float ry) {
    Vec2 q((p.x - c.x) / rx, (p.y - c.y) / ry);
    return (q.length() - 1) * std::min(rx, ry);
}

// The slope of a distance: the outward direction of the shape's edge.
Vec2 outward(const std::function<float(Vec2)>& d, Vec2 p) {
    const float h = 0.5f;
    Vec2 g(d({p.x + h, p.y}) - d({p.x - h, p.y}), d({p.x, p.y + h}) - d({p.x, p.y - h}));
    float l = g.length();
    return l > 1e-6f ? g * (1 / l) : Vec2(0, -1);
}

// Light comes from the upper left; a shape's rim brightens where it faces it
// and darkens where it faces away, over the given depth from its edge.
float rimLight(Vec2 n, float depth, float width, float strength) {
    const Vec2 light(-0.7071f, -0.7071f);
    return 1 + strength * (n.x * light.x + n.y * light.y) * smoothstep(width, 0.0f, depth);
}

// The headstone stands with its foot at (62, 116) and leans a little back
// to the right; local coordinates put its foot at (0, 0), y up.
Vec2 stoneLocal(Vec2 p) {
    const float lean = radians(6);
    Vec2 q = p - Vec2(62, 116);
    float c = std::cos(lean), s = std::sin(lean);
    return {c * q.x + s * q.y, -(-s * q.x + c * q.y)};
}

float stone(Vec2 p) {
    Vec2 q = stoneLocal(p);
    const float halfW = 25, shoulder = 72;
    float d = std::min(box(q, {-halfW, -6}, {halfW, shoulder}), circle(q, {0, shoulder}, halfW));
    // A corner broken off long ago.
    return std::max(d, -circle(q, {21, shoulder + 20}, 6));
}

float carvedCross(Vec2 p) {
    Vec2 q = stoneLocal(p);
    return std::min(box(q, {-3.2f, 40}, {3.2f, 84}), box(q, {-12, 69}, {12, 75.5f}));
}

float mound(Vec2 p) {
    return ellipseDistance(p, {66, 124}, 62, 15);
}

float moon(Vec2 p) {
    return circle(p, {97, 29}, 20);
}

// The forearm comes up out of the mound; the fingers spread from the palm,
// bent at the middle joint like claws.
float hand(Vec2 p) {
    float d = stroke(p, {40, 124}, {35, 78}, 7.5f, 6.2f);
    d = std::min(d, circle(p, {33, 70}, 9.5f));
    struct Finger {
        Vec2 base, knuckle, tip;
    };
    const Finger fingers[] = {
        {{25, 66}, {17, 53}, {17, 44}},
        {{30, 62}, {27, 46}, {30, 37}},
        {{36, 62}, {39, 47}, {44, 40}},
        {{41, 66}, {48, 55}, {54, 51}},
    };
    for (const Finger& f : fingers)
        d = std::min(d, std::min(stroke(p, f.base, f.knuckle, 3.1f, 2.8f),
                                 stroke(p, f.knuckle, f.tip, 2.8f, 2.0f)));
    // The thumb, low on the far side.
    d = std::min(d, std::min(stroke(p, {40, 76}, {49, 71}, 3.6f, 3.0f),
                             stroke(p, {49, 71}, {54, 63}, 3.0f, 2.2f)));
    return d;
}

// A torn sleeve round the forearm where it leaves the earth.
float sleeve(Vec2 p) {
    float ragged = 97 + 2.5f * std::sin(p.x * 1.7f) + 1.5f * std::sin(p.x * 0.9f + 1);
    return std::max(stroke(p, {40, 124}, {36.5f, 92}, 9.0f, 8.3f), ragged - p.y);
}

Color moonColor(Vec2 p, float depth) {
    Color c = rgb(236, 230, 190);
    float crater = smoothstep(0.55f, 0.7f, fbm(p.x * 0.12f, p.y * 0.12f, 3, 401u));
    c = mix(c, rgb(196, 190, 160), 0.7f * crater);
    return shade(c, rimLight(outward(moon, p), depth, 8, 0.15f));
}

Color stoneColor(Vec2 p, float depth) {
    Vec2 q = stoneLocal(p);
    Color c = granite(q.x * 3 + 80, -q.y * 3, q.y / 97);
    float groove = carvedCross(p);
    if (groove < 0) {
        c = shade(c, 0.42f);
    } else if (groove < 1.2f) {
        // The lit lower lip of the carving.
        Vec2 n = outward(carvedCross, p);
        c = shade(c, 1 + 0.3f * std::max(0.0f, n.x + n.y) * 0.7071f);
    }
    return shade(c, rimLight(outward(stone, p), depth, 4, 0.35f));
}

Color handColor(Vec2 p, float depth) {
    Color c;
    if (sleeve(p) < 0) {
        c = cloth(rgb(96, 76, 54), p.x * 4, p.y * 4, 403u, 0.8f);
        c = mix(c, rgb(40, 30, 24), smoothstep(1.5f, 0.0f, -sleeve(p)));
    } else {
        c = skin(kFlesh, p.x * 3, p.y * 3, 405u);
        float bruise = smoothstep(0.6f, 0.75f, fbm(p.x * 0.2f, p.y * 0.2f, 3, 407u));
        c = mix(c, rgb(90, 80, 96), 0.5f * bruise);
    }
    return shade(c, rimLight(outward(hand, p), depth, 4, 0.45f) * 0.92f);
}

Color moundColor(Vec2 p, float depth) {
    Color c = shade(rgb(78, 58, 40), 0.7f + 0.5f * fbm(p.x * 0.25f, p.y * 0.25f, 4, 409u));
    float pebble = 0;
    float cell = cellular(p.x * 0.3f, p.y * 0.3f, 0, 0, 411u, &pebble);
    if (cell < 0.22f && pebble > 0.6f)
        c = shade(rgb(120, 112, 100), 0.8f + 0.4f * pebble);
    // Grass creeps over the crest, not down the sides.
    Vec2 n = outward(mound, p);
    float grass = smoothstep(3.5f, 1.5f, depth) * smoothstep(-0.6f, -0.9f, n.y) *
                  smoothstep(0.3f, 0.6f, hashUnit(int(p.x), 0, 413u));
    c = mix(c, rgb(70, 100, 40), grass);
    return shade(c, rimLight(n, depth, 5, 0.3f));
}

struct Layer {
    float (*distance)(Vec2);
    Color (*color)(Vec2, float depth);
};

// The picture at one point, back to front, with alpha.
Color sample(Vec2 p) {
    const Layer layers[] = {
        {moon, moonColor}, {stone, stoneColor}, {hand, handColor}, {mound, moundColor}};
    Color out(0, 0, 0, 0);
    for (const Layer& layer : layers) {
        float d = layer.distance(p);
        if (d < 0)
            out = layer.color(p, -d);
        else if (d < kOutline)
            out = kInk;
    }
    return out;
}

} // namespace

Canvas makeIcon(int size) {
    Canvas c(size, size, Color(0, 0, 0, 0));
    const int n = 4; // samples across each pixel, and down
    const float scale = kUnits / float(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Colours are summed weighted by their alpha, so the edge does
            // not darken towards the transparent black around it.
            Color sum(0, 0, 0, 0);
            float alpha = 0;
            for (int sy = 0; sy < n; ++sy) {
                for (int sx = 0; sx < n; ++sx) {
                    Color s =
                        sample({(x + (sx + 0.5f) / n) * scale, (y + (sy + 0.5f) / n) * scale});
                    sum = sum + s * s.a;
                    alpha += s.a;
                }
            }
            if (alpha > 0) {
                Color col = sum * (1 / alpha);
                col.a = alpha / (n * n);
                c.set(x, y, col);
            }
        }
    }
    return c;
}

} // namespace content
