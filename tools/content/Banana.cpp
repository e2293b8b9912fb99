// The banana tree in the middle of the field: a fibrous stem, big drooping
// leaves torn along their veins, a hanging bunch with its purple bud, and a
// slow sway in the wind.

#include "Figure.h"
#include "Paint.h"

#include <cmath>

namespace content {

namespace {

// The stem leans to the side (model +y), out of the line from the game's
// first camera position to the player.
constexpr float kLean = 11.0f;

const Rect kLeaf{0, 0, 96, 256};
const Rect kStem{96, 0, 64, 256};
const Rect kFruit{160, 0, 48, 64};
const Rect kBud{208, 0, 48, 64};
const Rect kStalk{160, 64, 32, 96};
const Rect kDry{192, 64, 64, 96};

struct Leaf {
    float azimuth; // direction it grows out to, radians
    float rise;    // how steeply it leaves the stem, degrees
    float length;  // along the midrib
    float width;   // widest half width
    float droop;   // how far the tip hangs, degrees
    float base;    // height on the stem
    bool dead;     // a dry, brown leaf hanging down the stem
};

// No big leaf hangs towards model -x: the game's camera starts on that side
// of the tree, looking past it at the player, and the leaves would fill the
// first view.
const Leaf kLeaves[] = {
    {0.2f, 68, 46, 8.5f, 125, 59, false},    {0.95f, 72, 50, 9.0f, 118, 60, false},
    {1.7f, 64, 45, 8.5f, 128, 58, false},    {2.3f, 76, 44, 8.5f, 110, 61, false},
    {4.0f, 66, 45, 8.5f, 122, 59, false},    {4.75f, 78, 49, 9.0f, 114, 62, false},
    {5.5f, 64, 48, 9.0f, 126, 58.5f, false}, {3.14f, 86, 26, 4.5f, 30, 63, false},
};

// The midrib's point at s (0 to 1) with the leaf's droop scaled by bend.
Vec3 midrib(const Leaf& l, float s, float bend, Vec3 top) {
    // Integrate a pitch that goes from the rise angle down through the droop.
    const int steps = 24;
    Vec3 p = top;
    Vec3 out(std::cos(l.azimuth), std::sin(l.azimuth), 0);
    float seg = l.length / steps;
    int n = int(s * steps + 0.5f);
    for (int i = 0; i < n; ++i) {
        float t = (i + 0.5f) / steps;
        float pitch = radians(l.rise - l.droop * bend * t * t * 1.2f);
        p += (out * std::cos(pitch) + Vec3(0, 0, 1) * std::sin(pitch)) * seg;
    }
    return p;
}

// Sway: every leaf nods and bends a little, out of step with the others.
void buildLeaf(Mesh& m, const Leaf& l, Vec3 top, int leafIndex) {
    const int segs = 12;
    for (int i = 0; i <= segs; ++i) {
        float s = float(i) / segs;
        Vec3 c = midrib(l, s, 1.0f, top);
        Vec3 ahead = midrib(l, std::min(1.0f, s + 1.0f / segs), 1.0f, top);
        Vec3 behind = midrib(l, std::max(0.0f, s - 1.0f / segs), 1.0f, top);
        Vec3 along = normalize(ahead - behind);
        Vec3 side = normalize(cross(Vec3(0, 0, 1), along));
        if (side.length() < 0.5f)
            side = {-std::sin(l.azimuth), std::cos(l.azimuth), 0};
        Vec3 up = normalize(cross(along, side));
        // Petiole first, then the blade widening and rounding off at the tip.
        float blade = s < 0.18f ? 0.12f : std::sin(kPi * std::min(1.0f, (s - 0.12f) / 0.9f));
        float half = l.width * (0.15f + 0.85f * blade) * (s < 0.18f ? 0.25f : 1.0f);
        if (i == segs)
            half = 0.3f;
        // Folded along the midrib: edges a little lower than the rib.
        Vec3 left = c + side * half - up * (0.18f * half);
        Vec3 right = c - side * half - up * (0.18f * half);
        int v0 = m.addVertex(left, Influence(1 + leafIndex));
        m.addVertex(c + up * 0.15f, Influence(1 + leafIndex));
        m.addVertex(right, Influence(1 + leafIndex));
        (void)v0;
    }
    int first = int(m.pos.size()) - 3 * (segs + 1);
    int firstT = int(m.st.size());
    const Rect& r = l.dead ? kDry : kLeaf;
    for (int i = 0; i <= segs; ++i)
        for (int k = 0; k < 3; ++k)
            m.addTexel({r.x + r.w * 0.5f * float(k), r.y + r.h * float(i) / segs});
    for (int i = 0; i < segs; ++i) {
        for (int k = 0; k < 2; ++k) {
            int a = first + 3 * i + k, b = a + 1, c = a + 4, d = a + 3;
            int ta = firstT + 3 * i + k, tb = ta + 1, tc = ta + 4, td = ta + 3;
            // Wound so that the upper side faces up.
            Vec3 n =
                cross(m.pos[size_t(b)] - m.pos[size_t(a)], m.pos[size_t(d)] - m.pos[size_t(a)]);
            Vec3 ref = cross(m.pos[size_t(first + 3 * i + 2)] - m.pos[size_t(first + 3 * i)],
                             m.pos[size_t(first + 3 * i + 3)] - m.pos[size_t(first + 3 * i)]);
            (void)ref;
            bool upward = n.z >= 0;
            if (upward) {
                m.addTri(a, b, c, ta, tb, tc);
                m.addTri(a, c, d, ta, tc, td);
            } else {
                m.addTri(a, c, b, ta, tc, tb);
                m.addTri(a, d, c, ta, td, tc);
            }
        }
    }
}

void addTube(Mesh& m, const std::vector<Vec3>& path, const std::vector<float>& radius,
             const Rect& uv, int segments, Influence inf) {
    std::vector<Ring> rings;
    for (size_t i = 0; i < path.size(); ++i) {
        Vec3 d = normalize(path[std::min(i + 1, path.size() - 1)] - path[i > 0 ? i - 1 : 0]);
        Vec3 ref = std::fabs(d.z) < 0.9f ? Vec3(0, 0, 1) : Vec3(1, 0, 0);
        Ring r;
        r.c = path[i];
        r.ax = normalize(ref - d * dot(ref, d));
        r.ay = cross(d, r.ax);
        r.rx = r.ry = radius[i];
        r.v = float(i) / float(path.size() - 1);
        r.influence = inf;
        rings.push_back(r);
    }
    LoftStyle s;
    s.segments = segments;
    s.uv = uv;
    s.capBulge = 0.5f;
    addLoft(m, rings, s);
}

} // namespace

Figure makeBanana() {
    Figure f;
    f.skinAlpha = true; // the tears in the leaves
    Mesh& m = f.mesh;

    // Stem: thick at the foot, slightly bent, the old leaf sheaths showing.
    std::vector<Vec3> stem;
    std::vector<float> radius;
    const int rings = 10;
    for (int i = 0; i <= rings; ++i) {
        float t = float(i) / rings;
        stem.push_back({1.0f * t * t, kLean * t * t, 60.3f * t - 0.3f});
        radius.push_back(5.0f - 2.0f * t + 0.8f * (t < 0.1f ? (0.1f - t) * 10 : 0));
    }
    {
        std::vector<Ring> rs;
        for (size_t i = 0; i < stem.size(); ++i) {
            Ring r;
            r.c = stem[i];
            r.rx = r.ry = radius[i];
            r.v = 1.0f - float(i) / rings;
            r.influence = Influence(0);
            rs.push_back(r);
        }
        LoftStyle s;
        s.segments = 12;
        s.uv = kStem;
        s.capStart = false;
        s.radius = [](float theta, float v) {
            return 1.0f + 0.05f * std::sin(theta * 3.0f + v * 9.0f);
        };
        addLoft(m, rs, s);
    }
    Vec3 top = stem.back();
    // A young sucker beside it.
    addTube(m, {{5.5f, 3.0f, 1.2f}, {5.9f, 3.2f, 9.0f}, {6.4f, 3.4f, 17.0f}}, {2.2f, 1.6f, 0.7f},
            kStem, 8, Influence(0));

    const int leafCount = int(sizeof kLeaves / sizeof kLeaves[0]);
    for (int i = 0; i < leafCount; ++i) {
        Leaf l = kLeaves[i];
        Vec3 base = top + Vec3(std::cos(l.azimuth), std::sin(l.azimuth), 0) * 1.2f;
        base.z = l.base;
        buildLeaf(m, l, base, i);
    }

    // The bunch: a stalk arching out and down, hands of fingers pointing up,
    // the bud at the end.
    const int bunchBone = 1 + leafCount;
    Vec3 s0 = top + Vec3(0.5f, 1.5f, -2.0f);
    std::vector<Vec3> stalk = {s0, s0 + Vec3(1, 4, 1), s0 + Vec3(2, 8, -4),
                               s0 + Vec3(2.5f, 10, -12), s0 + Vec3(2.5f, 10.5f, -20)};
    addTube(m, stalk, {0.9f, 0.8f, 0.75f, 0.7f, 0.6f}, kStalk, 6, Influence(bunchBone));
    Vec3 bud = stalk.back();
    addTube(m,
            {bud, bud + Vec3(0, 0, -2.5f), bud + Vec3(0, 0.2f, -5.5f), bud + Vec3(0, 0.3f, -7.0f)},
            {1.0f, 2.0f, 1.3f, 0.2f}, kBud, 8, Influence(bunchBone));
    Random rnd(7);
    for (int hand = 0; hand < 3; ++hand) {
        float z = -6.5f - 4.0f * hand;
        Vec3 c = s0 + Vec3(2.5f, 10.0f, z + 0.5f * hand);
        for (int k = 0; k < 9; ++k) {
            float a = 2 * kPi * k / 9 + hand * 0.4f;
            Vec3 out(std::cos(a), std::sin(a), 0);
            Vec3 p0 = c + out * 0.9f;
            // Fingers curve outwards and up.
            Vec3 p1 = p0 + out * 2.2f + Vec3(0, 0, 0.6f);
            Vec3 p2 = p1 + out * 1.0f + Vec3(0, 0, 2.2f + rnd.range(-0.3f, 0.3f));
            Vec3 p3 = p2 + out * 0.1f + Vec3(0, 0, 1.6f);
            addTube(m, {p0, p1, p2, p3}, {0.45f, 0.75f, 0.7f, 0.25f}, kFruit, 5,
                    Influence(bunchBone));
        }
    }

    // Skin.
    f.skin.paint(
        kLeaf,
        [&](float u, float v) {
            float x = u * kLeaf.w, y = v * kLeaf.h;
            float across = std::fabs(u - 0.5f) * 2; // 0 at the rib, 1 at the edge
            Color c = shade(rgb(70, 128, 44), 0.85f + 0.3f * fbm(x * 0.05f, y * 0.05f, 4, 301u));
            // Parallel veins running out from the midrib at a slant.
            float vein = std::sin((y + across * 18.0f) * 1.3f);
            c = shade(c, 1.0f - 0.08f * vein * vein);
            // Lighter midrib; browned, sun-burnt margins.
            c = mix(c, rgb(170, 190, 90), line(across, 0.05f, 0.04f));
            c = mix(c, rgb(120, 100, 45),
                    0.8f * smoothstep(0.86f, 0.98f, across + 0.1f * fbm(y * 0.2f, x, 2, 303u)));
            c = shade(c, 0.85f + 0.15f * smoothstep(0.0f, 0.5f, across)); // shaded along the fold
            // Tears along the veins from the edge inwards: fully clear so that
            // the game's alpha test cuts them out cleanly.
            float tearRow = std::fmod(y + across * 18.0f, 23.0f);
            int tearIndex = int((y + across * 18.0f) / 23.0f);
            float depth = 0.35f + 0.5f * hashUnit(tearIndex, 0, 305u);
            bool hasTear = hashUnit(tearIndex, 1, 305u) > 0.25f && v > 0.22f;
            if (hasTear && tearRow < 2.2f && across > 1.0f - depth)
                c.a = 0;
            if (v < 0.15f)
                c = mix(c, rgb(140, 150, 70), 0.5f); // the petiole
            return c;
        },
        0);
    f.skin.paint(
        kDry,
        [&](float u, float v) {
            float x = u * kDry.w, y = v * kDry.h;
            Color c = shade(rgb(120, 92, 52), 0.75f + 0.45f * fbm(x * 0.1f, y * 0.03f, 4, 311u));
            c = shade(c, 1.0f - 0.15f * std::pow(std::sin(x * 0.9f + fbm(x, y * 0.1f, 2, 313u) * 3),
                                                 2.0f));
            return c;
        },
        0);
    f.skin.paint(kStem, [&](float u, float v) {
        float x = u * kStem.w, y = v * kStem.h;
        // Green-brown sheaths with long fibres and dark blotches; dry brown
        // strips peeling near the foot.
        Color c =
            mix(rgb(92, 110, 52), rgb(110, 90, 55), 0.5f * fbm(x * 0.05f, y * 0.01f, 3, 321u));
        c = shade(c, 0.85f + 0.25f * fbm(x * 0.8f, y * 0.02f, 3, 323u));
        float blotch = smoothstep(0.62f, 0.7f, fbm(x * 0.12f, y * 0.05f, 3, 325u));
        c = mix(c, rgb(50, 40, 28), 0.6f * blotch);
        float sheath = std::fmod(u * 3.0f + 0.3f * std::sin(v * 7), 1.0f);
        c = shade(c, 0.8f + 0.2f * smoothstep(0.0f, 0.15f, sheath));
        float dry =
            smoothstep(0.55f, 0.9f, v) * smoothstep(0.4f, 0.6f, fbm(x * 0.2f, y * 0.04f, 3, 327u));
        return mix(c, rgb(135, 110, 70), 0.7f * dry);
    });
    f.skin.paint(kFruit, [&](float u, float v) {
        Color c = mix(rgb(150, 170, 60), rgb(200, 190, 80), 0.5f * fbm(u * 8, v * 8, 2, 331u));
        c = shade(c, 0.85f + 0.15f * std::fabs(std::sin(u * kPi * 5))); // ridges
        return mix(c, rgb(60, 50, 30), smoothstep(0.85f, 1.0f, v));     // dark tips
    });
    f.skin.paint(kBud, [&](float u, float v) {
        Color c = shade(rgb(110, 36, 60), 0.8f + 0.3f * fbm(u * 10, v * 10, 3, 341u));
        return shade(c, 0.85f + 0.2f * std::fabs(std::sin(u * kPi * 4)));
    });
    f.skin.paint(kStalk, [&](float u, float v) {
        return shade(rgb(100, 120, 50), 0.8f + 0.3f * fbm(u * 6, v * 20, 3, 351u));
    });

    // Sway: the leaves bob on their own phases, the bunch swings slowly, the
    // stem leans with the wind. Bone 0 is the stem, 1... the leaves.
    const int frames = 13;
    f.addAnimation("sway", frames, [&](int i) {
        float ph = loopPhase(i, frames);
        std::vector<Mat> bones;
        float lean = radians(1.2f * std::sin(ph));
        Mat stemBend = Mat::rotateAbout({0, 0, 0}, {-0.5f, 1, 0}, lean);
        bones.push_back(stemBend);
        for (int k = 0; k < leafCount; ++k) {
            const Leaf& l = kLeaves[k];
            Vec3 axis(-std::sin(l.azimuth), std::cos(l.azimuth), 0);
            float nod = radians(3.5f * std::sin(ph + 1.7f * k) + 1.5f * std::sin(2 * ph + k));
            Vec3 base = top + Vec3(std::cos(l.azimuth), std::sin(l.azimuth), 0) * 1.2f;
            base.z = l.base;
            bones.push_back(stemBend * Mat::rotateAbout(base, axis, nod));
        }
        bones.push_back(stemBend *
                        Mat::rotateAbout(s0, {1, 0.3f, 0}, radians(4.0f * std::sin(ph + 0.8f))));
        return m.posed(bones);
    });
    return f;
}

} // namespace content
