// The pistol in the survivor's hand, and the shotgun pick-up lying on the
// ground with a box of shells.

#include "Figure.h"
#include "Paint.h"

#include <cmath>

namespace content {

namespace {

// A closed cylinder from a to b.
void addCylinder(Mesh& mesh, Vec3 a, Vec3 b, float radius, const Rect& uv, int segments = 8) {
    Vec3 d = normalize(b - a);
    Vec3 ref = std::fabs(d.z) < 0.9f ? Vec3(0, 0, 1) : Vec3(1, 0, 0);
    Vec3 ax = normalize(ref - d * dot(ref, d));
    std::vector<Ring> rings(2);
    for (int i = 0; i < 2; ++i) {
        Ring& r = rings[size_t(i)];
        r.c = i ? b : a;
        r.ax = ax;
        r.ay = cross(d, ax);
        r.rx = r.ry = radius;
        r.v = float(i);
    }
    LoftStyle s;
    s.segments = segments;
    s.uv = uv;
    s.capBulge = 0;
    addLoft(mesh, rings, s);
}

// A cylinder along x from x0 to x1, centred at (y, z).
void addRod(Mesh& mesh, float x0, float x1, float y, float z, float radius, const Rect& uv,
            int segments = 8) {
    addCylinder(mesh, {x0, y, z}, {x1, y, z}, radius, uv, segments);
}

// Blued steel, worn bright at the edges of the part's rectangle.
Color steel(float x, float y, float u, float v, uint32_t seed) {
    Color c = shade(rgb(58, 60, 66), 0.85f + 0.3f * fbm(x * 0.1f, y * 0.1f, 3, seed));
    c = shade(c, 1.0f + 0.08f * std::sin(x * 0.9f)); // machining lines
    float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
    return mix(c, rgb(150, 152, 158), 0.5f * smoothstep(0.08f, 0.0f, edge));
}

} // namespace

Figure makeWeapon() {
    Figure f;
    const Rect slide{0, 0, 128, 64}, frame{0, 64, 128, 32}, grip{128, 0, 64, 96},
        dark{192, 0, 64, 64};
    Mesh& m = f.mesh;
    // Built in the grip's frame: x along the barrel, z up, y to the left,
    // slightly larger than life so that it reads at the game's distance.
    addBox(m, {-1.3f, -0.5f, 0.85f}, {5.2f, 0.5f, 2.05f}, slide);
    addBox(m, {-0.9f, -0.42f, 0.35f}, {4.3f, 0.42f, 0.9f}, frame);
    addPrism(
        m,
        {{-1.3f, 0.45f, 0.6f}, {0.5f, 0.45f, 0.6f}, {0.05f, 0.45f, -2.9f}, {-1.85f, 0.45f, -2.9f}},
        {0, -0.9f, 0}, grip, dark);
    addBox(m, {0.55f, -0.12f, -0.45f}, {2.0f, 0.12f, -0.25f}, dark); // trigger guard
    addBox(m, {1.85f, -0.12f, -0.45f}, {2.05f, 0.12f, 0.4f}, dark);
    addBox(m, {0.8f, -0.08f, -0.2f}, {1.0f, 0.08f, 0.4f}, dark); // trigger
    addRod(m, 5.1f, 5.45f, 0, 1.55f, 0.32f, dark);               // muzzle
    addBox(m, {4.6f, -0.12f, 2.05f}, {4.9f, 0.12f, 2.3f}, dark); // sights
    addBox(m, {-1.2f, -0.35f, 2.05f}, {-0.85f, 0.35f, 2.3f}, dark);
    addBox(m, {-1.6f, -0.25f, 1.0f}, {-1.3f, 0.25f, 1.9f}, dark); // hammer

    f.skin.paint(slide, [&](float u, float v) {
        Color c = steel(u * slide.w, v * slide.h, u, v, 3u);
        // Grip serrations at the back of the slide, the maker's flat.
        if (u < 0.22f)
            c = shade(c, 0.75f + 0.35f * (std::sin(u * slide.w * 2.2f) > 0 ? 1.0f : 0.0f));
        c = mix(c, rgb(30, 30, 34), 0.6f * line(v - 0.5f, 0.02f, 0.02f) * (u > 0.35f && u < 0.8f));
        return c;
    });
    f.skin.paint(frame,
                 [&](float u, float v) { return shade(steel(u * 128, v * 32, u, v, 5u), 0.85f); });
    f.skin.paint(grip, [&](float u, float v) {
        // Walnut grip panel with chequering and a screw.
        Color c = woodGrain(rgb(110, 62, 34), u * grip.w, v * grip.h * 0.4f, 7u);
        float chk = std::fabs(std::sin((u * 64 + v * 96) * 1.4f)) *
                    std::fabs(std::sin((u * 64 - v * 96) * 1.4f));
        c = shade(c, 0.8f + 0.25f * chk);
        c = mix(c, rgb(150, 140, 120), ellipse(u, v, 0.5f, 0.5f, 0.07f, 0.05f, 0.3f));
        float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
        return shade(c, 0.6f + 0.4f * smoothstep(0.0f, 0.1f, edge));
    });
    f.skin.paint(dark,
                 [&](float u, float v) { return shade(steel(u * 64, v * 64, u, v, 9u), 0.7f); });

    // Into the survivor's hand; the game draws the gun without the figure's
    // lift of 10, so the hand's height is raised by that here.
    Mat place = Mat::translate({0, 0, 10}) * characterGunGrip();
    m.transform(place);
    f.addAnimation("stand", 2, [&](int) { return m.pos; });
    return f;
}

Figure makeShotgun() {
    Figure f;
    const Rect wood{0, 0, 128, 64}, metal{0, 64, 128, 64}, box{128, 0, 128, 96},
        brass{128, 96, 64, 32}, hull{192, 96, 64, 32}, boxSide{0, 128, 128, 64};
    Mesh& m = f.mesh;
    // Lying on its side on the ground, which the game puts at z = 20.
    const float g = 20.0f;
    // Stock and grip: a profile in the ground plane, one unit thick.
    addPrism(m,
             {{-17, -1.9f, g},
              {-9.5f, -0.6f, g},
              {-8.0f, 0.2f, g},
              {-8.0f, 1.3f, g},
              {-10.5f, 1.2f, g},
              {-17, 2.2f, g}},
             {0, 0, 1.3f}, wood, wood);
    addBox(m, {-8.0f, -0.3f, g}, {-1.5f, 1.8f, g + 1.5f}, metal);         // receiver
    addRod(m, -1.5f, 16.5f, 1.2f, g + 0.75f, 0.42f, metal);               // barrel
    addRod(m, -1.5f, 13.0f, 0.25f, g + 0.6f, 0.4f, metal);                // magazine tube
    addRod(m, 3.0f, 9.0f, 0.55f, g + 0.8f, 0.8f, wood, 10);               // pump grip
    addBox(m, {-6.5f, -1.0f, g + 0.3f}, {-4.0f, -0.3f, g + 1.1f}, metal); // trigger guard
    // A box of shells beside it, lid open, and two loose shells.
    addBox(m, {-3.0f, -9.0f, g}, {3.5f, -4.5f, g + 3.2f}, boxSide);
    addBox(m, {-3.0f, -9.2f, g + 3.2f}, {3.5f, -8.9f, g + 7.0f}, box); // the lid, standing up
    for (int i = 0; i < 5; ++i) {
        float x = -2.2f + 1.3f * float(i);
        addCylinder(m, {x, -6.75f, g + 2.0f}, {x, -6.75f, g + 3.5f}, 0.55f, brass,
                    8); // brass heads
    }
    for (int i = 0; i < 2; ++i) {
        float y = -11.0f - 1.4f * float(i), x = -1.0f + 2.5f * float(i);
        addRod(m, x, x + 1.0f, y, g + 0.55f, 0.55f, brass, 8);
        addRod(m, x + 1.0f, x + 3.6f, y, g + 0.55f, 0.55f, hull, 8);
    }
    // Centre everything on the z axis so that it spins in place.
    Vec3 lo = m.pos[0], hi = m.pos[0];
    for (Vec3 p : m.pos) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    m.transform(Mat::translate({-(lo.x + hi.x) / 2, -(lo.y + hi.y) / 2, 0}));

    f.skin.paint(wood, [&](float u, float v) {
        Color c = woodGrain(rgb(120, 70, 36), u * 128, v * 64 * 0.3f, 21u, 0.6f);
        return shade(c, 1.05f + 0.1f * std::sin(v * 3.0f));
    });
    f.skin.paint(metal, [&](float u, float v) { return steel(u * 128, v * 64, u, v, 23u); });
    f.skin.paint(box, [&](float u, float v) {
        // Inside of the lid: printed label on red card.
        Color c = shade(rgb(170, 30, 24), 0.85f + 0.2f * fbm(u * 12, v * 12, 3, 25u));
        c = mix(c, rgb(235, 220, 180), ellipse(u, v, 0.5f, 0.45f, 0.32f, 0.18f, 0.05f));
        c = mix(c, rgb(30, 25, 20),
                0.8f * line(v - 0.45f, 0.02f, 0.01f) * (std::fabs(u - 0.5f) < 0.22f));
        return c;
    });
    f.skin.paint(boxSide, [&](float u, float v) {
        Color c = shade(rgb(180, 34, 26), 0.85f + 0.2f * fbm(u * 16, v * 8, 3, 27u));
        // A band with the bore number, and scuffed card at the corners.
        c = mix(c, rgb(230, 200, 60), 0.9f * (v > 0.35f && v < 0.6f ? 1.0f : 0.0f));
        c = mix(c, rgb(40, 30, 20),
                0.9f * line(v - 0.475f, 0.05f, 0.02f) * (std::fabs(u - 0.5f) < 0.15f));
        float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
        return mix(c, rgb(210, 190, 170), 0.5f * smoothstep(0.05f, 0.0f, edge));
    });
    f.skin.paint(brass, [&](float u, float v) {
        Color c = shade(rgb(200, 160, 70), 0.8f + 0.4f * std::sin(u * 6.28f) * std::sin(u * 6.28f));
        return mix(c, rgb(120, 90, 40), 0.5f * line(v - 0.3f, 0.05f, 0.05f));
    });
    f.skin.paint(hull, [&](float u, float v) {
        Color c = shade(rgb(170, 28, 24), 0.7f + 0.4f * std::fabs(std::sin(u * 6.28f)));
        return shade(c, 1.0f - 0.2f * (std::sin(u * 60.0f) > 0.6f ? 1.0f : 0.0f) * (1 - v));
    });
    f.addAnimation("stand", 2, [&](int) { return m.pos; });
    return f;
}

} // namespace content
