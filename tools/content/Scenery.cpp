#include "Scenery.h"

#include "ObjFile.h"
#include "Paint.h"
#include "Random.h"

#include <cmath>

namespace content {

SceneryModel makeGrassPlane() {
    // 48 cells of 18 units a side: fine enough for smooth vertex lighting and
    // fog; the texture repeats every 54 units.
    const int cells = 48;
    const float half = 432.0f, step = 2 * half / cells, repeat = 54.0f;
    ObjFile obj;
    for (int i = 0; i < cells; ++i) {
        for (int j = 0; j < cells; ++j) {
            float x0 = -half + i * step, x1 = x0 + step;
            float z0 = -half + j * step, z1 = z0 + step;
            auto c = [&](float x, float z) {
                return ObjFile::Corner{{x, 0, z}, {x / repeat, -z / repeat}, {0, 1, 0}};
            };
            // Counter-clockwise seen from above (+y).
            obj.addFace("grass", {c(x0, z0), c(x0, z1), c(x1, z1), c(x1, z0)});
        }
    }
    return {obj.text("grassPlane.mtl"),
            mtlText({{"grass", {1, 1, 1}, {0.85f, 0.85f, 0.85f}, "grass.tga"}})};
}

Canvas makeGrassTexture() {
    const int size = 256;
    Canvas c(size, size);
    // Soil and a mat of green underneath, then many blades on top; every
    // pattern wraps so that the tile repeats without seams.
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float n = fbmTiled(x / 32.0f, y / 32.0f, 8, 8, 4, 401u);
            float patch = fbmTiled(x / 64.0f, y / 64.0f, 4, 4, 3, 403u);
            Color g = mix(rgb(46, 74, 28), rgb(80, 100, 40), n);
            g = mix(g, rgb(92, 82, 50), 0.45f * smoothstep(0.62f, 0.75f, patch)); // dry patches
            g = mix(g, rgb(60, 48, 32), 0.5f * smoothstep(0.7f, 0.8f, n));        // bare earth
            c.set(x, y, shade(g, 0.9f));
        }
    }
    Random rnd(405);
    for (int i = 0; i < 5200; ++i) {
        float x = rnd.range(0, size), y = rnd.range(0, size);
        float len = rnd.range(4, 11), ang = rnd.range(-0.6f, 0.6f) - kPi / 2;
        float hue = rnd.unit();
        Color blade = mix(rgb(58, 100, 32), rgb(120, 140, 55), hue);
        if (rnd.unit() < 0.12f)
            blade = rgb(150, 140, 80); // a dry blade
        float patch = fbmTiled(x / 64.0f, y / 64.0f, 4, 4, 3, 403u);
        blade = mix(blade, rgb(140, 125, 70), 0.4f * smoothstep(0.62f, 0.75f, patch));
        int steps = int(len * 2);
        for (int s = 0; s < steps; ++s) {
            float t = float(s) / steps;
            float px = x + std::cos(ang) * len * t + 1.5f * t * t, py = y + std::sin(ang) * len * t;
            int ix = (int(std::floor(px)) % size + size) % size,
                iy = (int(std::floor(py)) % size + size) % size;
            // Darker at the root, lit at the tip.
            c.blend(ix, iy, shade(blade, 0.6f + 0.6f * t), 0.85f * (1 - 0.3f * t));
        }
    }
    return c;
}

SceneryModel makeFence() {
    ObjFile obj;
    const float z0 = -184.5f, z1 = -61.5f;
    // Three posts per segment, 41 apart, so the spacing carries on across
    // segments; each a little different in height.
    const float postZ[3] = {-164.0f, -123.0f, -82.0f};
    const float postH[3] = {43.0f, 44.5f, 42.0f};
    for (int i = 0; i < 3; ++i) {
        float z = postZ[i], h = postH[i];
        obj.addBox("post", {-2.0f, -1.0f, z - 2.0f}, {2.0f, h, z + 2.0f}, 1.0f / 4.0f);
        // A pointed cap.
        Vec3 tip(0, h + 3.0f, z);
        Vec3 c[4] = {{-2, h, z - 2}, {2, h, z - 2}, {2, h, z + 2}, {-2, h, z + 2}};
        for (int k = 0; k < 4; ++k) {
            Vec3 a = c[k], b = c[(k + 1) % 4];
            Vec3 n = normalize(cross(b - a, tip - a));
            if (dot(n, (a + b) * 0.5f - Vec3(0, h, z)) < 0) {
                std::swap(a, b);
                n = -n;
            }
            obj.addFace("post", {{a, {0, 0}, n}, {b, {1, 0}, n}, {tip, {0.5f, 0.6f}, n}});
        }
    }
    // Two rails nailed to the outer face of the posts, and a lower kick board.
    obj.addBox("rail", {2.0f, 29.0f, z0}, {3.3f, 35.0f, z1}, 1.0f / 61.5f);
    obj.addBox("rail", {2.0f, 14.0f, z0}, {3.3f, 20.0f, z1}, 1.0f / 61.5f);
    obj.addBox("rail", {2.0f, 1.0f, z0}, {3.0f, 5.0f, z1}, 1.0f / 61.5f);
    return {obj.text("fence.mtl"),
            mtlText({{"post", {0.85f, 0.85f, 0.85f}, {0.85f, 0.85f, 0.85f}, "fencePost.tga"},
                     {"rail", {0.85f, 0.85f, 0.85f}, {0.85f, 0.85f, 0.85f}, "fenceRail.tga"}})};
}

namespace {

// Weathered grey-brown boards: grain, cracks, knots, nail heads.
Color boards(float x, float y, float along, uint32_t seed) {
    Color c = woodGrain(rgb(112, 92, 70), x, y, seed, 1.3f);
    float weather = fbm(x * 0.05f, y * 0.02f, 3, seed + 1u);
    c = mix(c, rgb(130, 126, 118), 0.45f * weather);
    float crack = line(fbm(x * 0.5f, y * 0.01f, 2, seed + 2u) - 0.5f, 0.004f, 0.004f);
    c = mix(c, rgb(40, 32, 24), 0.7f * crack);
    (void)along;
    return c;
}

} // namespace

Canvas makeFencePostTexture() {
    Canvas c(64, 256);
    c.paint(
        {0, 0, 64, 256},
        [](float u, float v) {
            // Grain runs up the post; darker near the ground where it stays wet.
            Color k = boards(u * 64, v * 256, v, 421u);
            float edge = std::min(u, 1 - u);
            k = shade(k, 0.75f + 0.25f * smoothstep(0.0f, 0.12f, edge));
            return shade(k, 1.0f - 0.3f * smoothstep(0.7f, 1.0f, v));
        },
        0);
    return c;
}

Canvas makeFenceRailTexture() {
    Canvas c(256, 64);
    c.paint(
        {0, 0, 256, 64},
        [](float u, float v) {
            Color k = boards(v * 64 * 0.5f, u * 256, u, 431u);
            // Board edges, a nail pair at each post (posts every third of a
            // repeat: the texture spans half a segment, 61.5 units).
            float edge = std::min(v, 1 - v);
            k = shade(k, 0.7f + 0.3f * smoothstep(0.0f, 0.12f, edge));
            for (float px : {20.5f / 61.5f, 61.5f / 61.5f * 0.999f}) {
                for (float py : {0.3f, 0.7f}) {
                    float d = ellipse(u, v, std::fmod(px, 1.0f), py, 0.012f, 0.06f, 0.3f);
                    k = mix(k, rgb(50, 45, 45), d);
                }
            }
            return k;
        },
        0);
    return c;
}

Canvas makeWaterTexture() {
    const int size = 256;
    Canvas c(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float fx = x / 32.0f, fy = y / 32.0f;
            float swell = fbmTiled(fx * 0.5f, fy * 0.5f, 4, 4, 4, 441u);
            float h1 = 0, h2 = 0;
            float d1 = cellular(fx, fy, 8, 8, 443u, &h1);
            float d2 = cellular(fx * 2 + 0.5f, fy * 2, 16, 16, 445u, &h2);
            // Caustic ridges: bright where cells meet.
            float ridge = std::pow(1.0f - clamp01(std::fabs(d1 - 0.55f) * 2.2f), 4.0f) * 0.6f +
                          std::pow(1.0f - clamp01(std::fabs(d2 - 0.55f) * 2.2f), 4.0f) * 0.35f;
            Color w = mix(rgb(16, 46, 64), rgb(30, 86, 100), swell);
            w = mix(w, rgb(130, 190, 200), 0.55f * ridge);
            float sparkle = hashUnit(x, y, 447u) > 0.997f ? 0.6f : 0.0f;
            w = mix(w, rgb(230, 245, 250), sparkle * swell);
            c.set(x, y, w);
        }
    }
    return c;
}

Canvas makeParticleTexture() {
    const int size = 64;
    Canvas c(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float dx = (x + 0.5f) / size * 2 - 1, dy = (y + 0.5f) / size * 2 - 1;
            float r = std::sqrt(dx * dx + dy * dy);
            // Opaque everywhere, so that every texel of every mipmap level
            // passes the game's alpha test at 0.9. The drop is in the colour
            // alone: the game adds it, tinted red, and black adds nothing, so
            // the square's corners vanish while a distant drop only dims.
            float drop = 1.0f - smoothstep(0.55f, 0.98f, r);
            // Deeper at its rim. The wet highlight up and to the left is in
            // green and blue, which the red tint drops: it is the picture's.
            float highlight = ellipse(dx, dy, -0.3f, -0.3f, 0.22f, 0.22f, 0.8f);
            float red = drop * (0.8f + 0.2f * (1 - r * r));
            float shine = drop * highlight * 0.6f;
            c.set(x, y,
                  Color(clamp01(red), clamp01(0.1f * red + shine), clamp01(0.08f * red + shine)));
        }
    }
    return c;
}

Canvas makeShellTexture() {
    // Painted in the 54 x 70 pixels the HUD draws it at, top down.
    const int size = 64;
    const float W = 54, H = 70;
    Canvas c(size, size, Color(0, 0, 0, 0));
    auto inside = [&](float X, float Y, Color* col) {
        const float cx = W / 2;
        float dx = std::fabs(X - cx);
        // Brass head with its rim at the bottom.
        if (Y > 60 && Y < 67 && dx < 12.5f) {
            *col = shade(rgb(214, 170, 70), 0.75f + 0.5f * (1 - dx / 12.5f));
            if (Y > 64.5f)
                *col = shade(*col, 0.8f);
            return true;
        }
        if (Y > 48 && Y <= 60 && dx < 11.0f) {
            *col = shade(rgb(224, 180, 80), 0.7f + 0.55f * (1 - dx / 11.0f));
            if (dx < 11 && std::fabs(Y - 54) < 0.8f)
                *col = shade(*col, 0.7f);
            return true;
        }
        // Red ribbed hull, crimped at the top.
        float top = 6 + 4 * std::pow(dx / 11.0f, 2.0f);
        if (Y >= top && Y <= 48 && dx < 11.0f) {
            float lit = 0.65f + 0.55f * (1 - dx / 11.0f) -
                        0.25f * (X > cx ? 0.0f : (cx - X) / 11.0f * 0.0f);
            Color h = shade(rgb(190, 28, 22), lit);
            if (std::fmod(X + 0.3f, 3.0f) < 0.8f)
                h = shade(h, 0.8f); // ribs
            if (Y < 12 && std::fabs(std::fmod(X - cx + 11, 5.5f) - 2.75f) < 0.6f)
                h = shade(h, 0.6f); // crimp folds
            *col = h;
            return true;
        }
        return false;
    };
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // 4 x 4 samples: the colour is averaged over those inside, the
            // alpha is all or nothing so the game's test at 0.9 leaves a crisp
            // edge; a dark outline keeps it readable over the grass.
            Color sum(0, 0, 0, 0);
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    float X = (x + (sx + 0.5f) / 4) / size * W,
                          Y = (y + (sy + 0.5f) / 4) / size * H;
                    Color col;
                    if (inside(X, Y, &col)) {
                        sum = sum + col;
                        ++hits;
                    }
                }
            }
            if (hits >= 8) {
                Color col = sum * (1.0f / hits);
                if (hits < 16)
                    col = shade(col, 0.45f);
                col.a = 1;
                c.set(x, y, col);
            } else if (hits > 0) {
                c.set(x, y, Color(0.08f, 0.04f, 0.03f, 1));
            }
        }
    }
    return c;
}

} // namespace content
