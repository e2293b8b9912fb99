#include "Humanoid.h"

#include <cmath>

namespace content {

const HumanoidLayout kHumanoidLayout = {
    {0, 0, 128, 112},   // torso
    {128, 0, 128, 80},  // head
    {0, 112, 80, 96},   // arm
    {80, 112, 80, 144}, // leg
    {160, 80, 40, 48},  // hand
    {200, 80, 56, 48},  // foot
};

namespace {

struct Section {
    float z, rx, ry, x; // height above the soles, radii, forward offset
};

// Rings for a limb running from a to b, with sections placed by their
// fraction t of the way and radii; influences blend near the joints.
struct LimbSection {
    float t, rx, ry, dx;
    Influence influence;
};

std::vector<Ring> limbRings(Vec3 a, Vec3 b, const std::vector<LimbSection>& sections, float girth,
                            float v0, float v1) {
    Vec3 dir = normalize(b - a);
    // Front axis: world forward made perpendicular to the limb.
    Vec3 fwd = normalize(Vec3(1, 0, 0) - dir * dot(Vec3(1, 0, 0), dir));
    Vec3 side = normalize(cross(dir, fwd));
    if (dot(side, Vec3(0, 1, 0)) < 0)
        side = -side;
    std::vector<Ring> rings;
    for (const LimbSection& s : sections) {
        Ring r;
        r.c = lerp(a, b, s.t) + fwd * s.dx;
        r.ax = fwd;
        r.ay = side;
        r.rx = s.rx * girth;
        r.ry = s.ry * girth;
        r.v = lerp(v0, v1, s.t < 0 ? 0 : (s.t > 1 ? 1 : s.t));
        r.influence = s.influence;
        rings.push_back(r);
    }
    return rings;
}

Mat rotation(Vec3 degrees) {
    return Mat::rotate({0, 0, 1}, radians(degrees.z)) * Mat::rotate({0, 1, 0}, radians(degrees.y)) *
           Mat::rotate({1, 0, 0}, radians(degrees.x));
}

} // namespace

Skeleton buildHumanoid(Mesh& mesh, const BodySpec& spec, const HumanoidLayout& L) {
    const float s = spec.height / 50.0f;
    const float z0 = spec.feet;
    auto P = [&](float x, float y, float z) { return Vec3(x * s, y * s, z0 + z * s); };

    Skeleton sk;
    sk.pivot[Root] = P(0, 0, 25);
    sk.pivot[Spine] = P(0, 0, 28.5f);
    sk.pivot[Chest] = P(0, 0, 33);
    sk.pivot[Head] = P(0, 0, 42.2f);
    sk.pivot[LUpperArm] = P(0, 5.3f, 39.8f);
    sk.pivot[LForearm] = P(-0.3f, 6.0f, 30.2f);
    sk.pivot[LHand] = P(0.2f, 6.2f, 23.3f);
    sk.pivot[LThigh] = P(0, 2.6f, 25);
    sk.pivot[LShin] = P(0.3f, 2.7f, 13.6f);
    sk.pivot[LFoot] = P(-0.2f, 2.8f, 2.5f);
    for (int b = LUpperArm; b <= LHand; ++b)
        sk.pivot[size_t(b + 3)] = {sk.pivot[size_t(b)].x, -sk.pivot[size_t(b)].y,
                                   sk.pivot[size_t(b)].z};
    for (int b = LThigh; b <= LFoot; ++b)
        sk.pivot[size_t(b + 3)] = {sk.pivot[size_t(b)].x, -sk.pivot[size_t(b)].y,
                                   sk.pivot[size_t(b)].z};
    sk.parent = {-1,        Root,     Spine, Chest,  Chest, LUpperArm, LForearm, Chest,
                 RUpperArm, RForearm, Root,  LThigh, LShin, Root,      RThigh,   RShin};

    const float g = spec.girth, lg = spec.limbGirth;

    // Trunk, crotch to the base of the neck.
    {
        const Section sec[] = {{21.6f, 2.4f, 3.4f, 0},       {23.4f, 3.2f, 4.8f, 0},
                               {26.0f, 3.35f, 5.05f, 0},     {29.0f, 2.95f, 4.5f, 0.05f},
                               {32.0f, 3.25f, 4.9f, 0.15f},  {35.0f, 3.65f, 5.45f, 0.25f},
                               {38.0f, 3.55f, 5.85f, 0.15f}, {40.3f, 3.0f, 5.7f, 0},
                               {41.7f, 2.0f, 3.3f, -0.1f},   {42.6f, 1.5f, 1.75f, -0.1f}};
        const Influence inf[] = {Influence(Root),  Influence(Root),
                                 Influence(Root),  Influence(Root, Spine, 0.5f),
                                 Influence(Spine), Influence(Spine, Chest, 0.4f),
                                 Influence(Chest), Influence(Chest),
                                 Influence(Chest), Influence(Chest, Head, 0.7f)};
        std::vector<Ring> rings;
        const int n = int(sizeof sec / sizeof sec[0]);
        for (int i = 0; i < n; ++i) {
            Ring r;
            r.c = P(sec[i].x, 0, sec[i].z);
            r.rx = sec[i].rx * s * g;
            r.ry = sec[i].ry * s * (0.5f + 0.5f * g);
            r.v = 1.0f - (sec[i].z - sec[0].z) / (sec[n - 1].z - sec[0].z);
            r.influence = inf[i];
            rings.push_back(r);
        }
        LoftStyle style;
        style.segments = 16;
        style.uv = L.torso;
        style.capBulge = 0.2f;
        bool jacket = spec.jacket;
        style.radius = [jacket](float theta, float v) {
            float k = 1;
            // Collar of a jacket stands off the neck.
            if (jacket && v < 0.12f)
                k *= 1.25f;
            // Shoulder blades and chest a little flatter at the sides.
            k *= 1.0f - 0.04f * std::pow(std::sin(theta), 8.0f);
            return k;
        };
        addLoft(mesh, rings, style);
    }

    // Neck and head in one piece, the face forward.
    {
        const Section sec[] = {{41.0f, 1.35f, 1.35f, -0.2f}, {42.8f, 1.45f, 1.5f, -0.1f},
                               {43.7f, 1.9f, 1.95f, 0.15f},  {44.3f, 2.55f, 2.35f, 0.45f},
                               {45.2f, 2.85f, 2.55f, 0.45f}, {45.9f, 2.95f, 2.65f, 0.4f},
                               {46.5f, 3.0f, 2.75f, 0.38f},  {47.2f, 3.1f, 2.85f, 0.35f},
                               {48.1f, 3.1f, 2.9f, 0.3f},    {49.0f, 2.85f, 2.7f, 0.25f},
                               {49.7f, 2.2f, 2.1f, 0.2f},    {50.0f, 0.7f, 0.65f, 0.15f}};
        const int n = int(sizeof sec / sizeof sec[0]);
        std::vector<Ring> rings;
        for (int i = 0; i < n; ++i) {
            Ring r;
            r.c = P(sec[i].x, 0, sec[i].z);
            r.rx = sec[i].rx * s;
            r.ry = sec[i].ry * s;
            r.v = 1.0f - (sec[i].z - sec[0].z) / (sec[n - 1].z - sec[0].z);
            r.influence = i == 0 ? Influence(Chest, Head, 0.6f) : Influence(Head);
            rings.push_back(r);
        }
        LoftStyle style;
        style.segments = 16;
        style.uv = L.head;
        style.capBulge = 0.5f;
        // Row v of each feature, from the section heights above.
        auto rowOf = [&](float z) { return 1.0f - (z - sec[0].z) / (sec[n - 1].z - sec[0].z); };
        const float noseTip = rowOf(45.9f), noseMid = rowOf(46.5f), eyes = rowOf(47.2f),
                    brow = rowOf(48.1f), jaw = rowOf(44.3f), mouth = rowOf(45.2f);
        style.radius = [=](float theta, float v) {
            auto near = [](float a, float b) { return std::fabs(a - b) < 0.01f; };
            float front = std::exp(-(theta * theta) / (0.18f * 0.18f));
            float k = 1;
            if (near(v, noseTip))
                k += 0.2f * front;
            if (near(v, noseMid))
                k += 0.13f * front;
            if (near(v, eyes)) {
                k += 0.05f * front;
                k -= 0.05f * std::exp(-std::pow((std::fabs(theta) - 0.5f) / 0.2f, 2.0f));
                k += 0.09f * std::exp(-std::pow((std::fabs(theta) - kPi / 2) / 0.2f, 2.0f));
            }
            if (near(v, brow))
                k += 0.04f * std::exp(-(theta * theta) / 0.5f);
            if (near(v, jaw))
                k += 0.05f * front;
            if (near(v, mouth))
                k -= 0.02f * front;
            // The back of the skull and the hair.
            if (v < eyes + 0.01f && std::fabs(theta) > 1.9f)
                k += 0.05f;
            return k;
        };
        addLoft(mesh, rings, style);
    }

    // Arms, shoulder to wrist, and hands.
    for (int side = 0; side < 2; ++side) {
        int upper = side == 0 ? LUpperArm : RUpperArm;
        Vec3 sh = sk.pivot[size_t(upper)], el = sk.pivot[size_t(upper + 1)],
             wr = sk.pivot[size_t(upper + 2)];
        float cuff = spec.jacket ? 1.15f : 1.0f;
        std::vector<LimbSection> up = {{-0.1f, 1.2f, 1.3f, 0, Influence(upper, Chest, 0.7f)},
                                       {0.1f, 1.85f, 1.85f, 0, Influence(upper, Chest, 0.85f)},
                                       {0.5f, 1.55f, 1.5f, 0, Influence(upper)},
                                       {0.85f, 1.38f, 1.35f, 0, Influence(upper)}};
        std::vector<LimbSection> fore = {
            {0.0f, 1.32f, 1.3f, 0, Influence(upper, upper + 1, 0.5f)},
            {0.3f, 1.42f, 1.35f, 0, Influence(upper + 1)},
            {0.82f, 1.05f * cuff, 0.95f * cuff, 0, Influence(upper + 1)},
            {1.0f, 1.0f * cuff, 0.9f * cuff, 0, Influence(upper + 1, upper + 2, 0.6f)}};
        std::vector<Ring> rings = limbRings(sh, el, up, s * lg, 0, 0.55f);
        std::vector<Ring> lower = limbRings(el, wr, fore, s * lg, 0.55f, 1.0f);
        rings.insert(rings.end(), lower.begin(), lower.end());
        LoftStyle style;
        style.segments = 10;
        style.uv = L.arm;
        style.capStart = false;
        style.capEnd = true;
        style.capBulge = 0.0f;
        addLoft(mesh, rings, style);

        // A mitten of a hand: palm and fingers in one, flat across.
        Vec3 tip = wr + normalize(wr - el) * (3.7f * s);
        std::vector<LimbSection> hand = {
            {0.0f, 1.0f, 0.65f, 0, Influence(upper + 2, upper + 1, 0.7f)},
            {0.35f, 1.35f, 0.75f, 0, Influence(upper + 2)},
            {0.68f, 1.3f, 0.68f, 0, Influence(upper + 2)},
            {1.0f, 0.95f, 0.55f, 0, Influence(upper + 2)}};
        LoftStyle hs;
        hs.segments = 8;
        hs.uv = L.hand;
        hs.capBulge = 0.6f;
        addLoft(mesh, limbRings(wr, tip, hand, s, 0, 1), hs);
    }

    // Legs, hip to ankle, and feet.
    for (int side = 0; side < 2; ++side) {
        int thigh = side == 0 ? LThigh : RThigh;
        Vec3 hip = sk.pivot[size_t(thigh)], knee = sk.pivot[size_t(thigh + 1)],
             ankle = sk.pivot[size_t(thigh + 2)];
        float hem = spec.barefoot ? 1.0f : 1.2f;
        std::vector<LimbSection> up = {{-0.13f, 2.5f, 2.4f, 0, Influence(Root, thigh, 0.6f)},
                                       {0.13f, 2.55f, 2.45f, 0, Influence(thigh, Root, 0.85f)},
                                       {0.48f, 2.15f, 2.05f, 0, Influence(thigh)},
                                       {0.83f, 1.75f, 1.7f, 0, Influence(thigh)}};
        std::vector<LimbSection> low = {
            {0.0f, 1.68f, 1.65f, 0, Influence(thigh, thigh + 1, 0.5f)},
            {0.28f, 1.8f, 1.62f, -0.35f, Influence(thigh + 1)},
            {0.68f, 1.35f * hem, 1.25f * hem, -0.1f, Influence(thigh + 1)},
            {1.0f, 1.1f * hem, 1.05f * hem, 0, Influence(thigh + 1, thigh + 2, 0.7f)}};
        std::vector<Ring> rings = limbRings(hip, knee, up, s * lg, 0, 0.5f);
        std::vector<Ring> lower = limbRings(knee, ankle, low, s * lg, 0.5f, 1.0f);
        rings.insert(rings.end(), lower.begin(), lower.end());
        LoftStyle style;
        style.segments = 10;
        style.uv = L.leg;
        style.capStart = false;
        style.capBulge = 0;
        addLoft(mesh, rings, style);

        // Foot: a loft from heel to toe with the sole pressed flat.
        int first = int(mesh.pos.size());
        float y = ankle.y;
        struct FootSection {
            float x, zc, hh, hw;
        };
        static const FootSection bare[] = {{-1.7f, 1.1f, 1.0f, 0.95f},
                                           {-0.2f, 1.5f, 1.35f, 1.05f},
                                           {2.0f, 0.9f, 0.85f, 1.2f},
                                           {4.0f, 0.6f, 0.55f, 1.3f},
                                           {5.2f, 0.5f, 0.4f, 1.1f}};
        static const FootSection shod[] = {{-2.0f, 1.4f, 1.3f, 1.1f},
                                           {-0.3f, 1.9f, 1.7f, 1.25f},
                                           {2.0f, 1.2f, 1.15f, 1.35f},
                                           {4.1f, 0.85f, 0.8f, 1.35f},
                                           {5.6f, 0.7f, 0.6f, 1.05f}};
        const FootSection* fs = spec.barefoot ? bare : shod;
        const size_t footRings = 5;
        std::vector<Ring> rings2;
        for (size_t i = 0; i < footRings; ++i) {
            Ring r;
            r.c = Vec3(fs[i].x * s, y, z0 + fs[i].zc * s);
            r.ax = {0, 0, 1};
            r.ay = {0, 1, 0};
            r.rx = fs[i].hh * s;
            r.ry = fs[i].hw * s;
            r.v = float(i) / float(footRings - 1);
            r.influence = Influence(thigh + 2);
            rings2.push_back(r);
        }
        LoftStyle fst;
        fst.segments = 10;
        fst.uv = L.foot;
        fst.capBulge = 0.4f;
        addLoft(mesh, rings2, fst);
        for (size_t i = size_t(first); i < mesh.pos.size(); ++i)
            mesh.pos[i].z = std::max(mesh.pos[i].z, z0);
    }
    return sk;
}

void paintHumanoid(Canvas& skin, const HumanoidPainters& p) {
    const HumanoidLayout& L = kHumanoidLayout;
    skin.paint(L.torso, p.torso, 3);
    skin.paint(L.head, p.head, 3);
    skin.paint(L.arm, p.arm, 3);
    skin.paint(L.leg, p.leg, 3);
    skin.paint(L.hand, p.hand, 3);
    skin.paint(L.foot, p.foot, 3);
}

std::vector<Mat> poseBones(const Skeleton& sk, const Pose& pose, float feet) {
    std::vector<Mat> m(BoneCount);
    Mat whole = Mat::translate(pose.offset) *
                Mat::rotateAbout({pose.fallX, 0, feet}, {0, 1, 0}, radians(pose.fall));
    for (int b = 0; b < BoneCount; ++b) {
        Mat local = Mat::translate(sk.pivot[size_t(b)]) * rotation(pose.rot[size_t(b)]) *
                    Mat::translate(-sk.pivot[size_t(b)]);
        int p = sk.parent[size_t(b)];
        m[size_t(b)] = (p < 0 ? whole : m[size_t(p)]) * local;
    }
    return m;
}

void standOnGround(std::vector<Vec3>& positions, float feet) {
    float lowest = positions[0].z;
    for (const Vec3& p : positions)
        lowest = std::min(lowest, p.z);
    for (Vec3& p : positions)
        p.z += feet - lowest;
}

} // namespace content
