// The zombie: grey-green, hunched, in a torn shirt and ragged trousers,
// barefoot, arms reaching for the player.

#include "Figure.h"
#include "Paint.h"

#include <cmath>

namespace content {

namespace {

constexpr float kHeight = 58; // upright; hunched it stands about 56
constexpr float kFeet = -23;  // the game lifts the figure by 23

const HumanoidLayout& kLayout = kHumanoidLayout;

const Color kFlesh = rgb(96, 128, 80);
const Color kShirt = rgb(122, 118, 98);
const Color kTrousers = rgb(96, 76, 54);
const Color kBlood = rgb(88, 18, 14);

// Rotting skin: the base flesh with bruises, veins and sores.
Color deadSkin(float x, float y, uint32_t seed) {
    Color c = skin(kFlesh, x, y, seed);
    float bruise = smoothstep(0.6f, 0.8f, fbm(x * 0.07f, y * 0.07f, 4, seed + 3u));
    c = mix(c, rgb(90, 80, 96), 0.5f * bruise);
    float vein = line(fbm(x * 0.12f, y * 0.12f, 3, seed + 7u) - 0.5f, 0.008f, 0.01f);
    c = mix(c, rgb(70, 80, 90), 0.45f * vein);
    float sore = smoothstep(0.75f, 0.82f, fbm(x * 0.2f + 7, y * 0.2f, 3, seed + 11u));
    c = mix(c, rgb(110, 40, 30), 0.7f * sore);
    return c;
}

// Torn cloth: where the tear pattern says so, flesh shows through a dark rim.
Color torn(Color cloth, float x, float y, uint32_t seed, float amount) {
    float t = fbm(x * 0.09f, y * 0.09f, 4, seed);
    float hole = smoothstep(0.77f - 0.1f * amount, 0.79f - 0.1f * amount, t);
    float rim = line(t - (0.76f - 0.1f * amount), 0.012f, 0.01f);
    Color c = mix(cloth, deadSkin(x, y, seed + 1u), hole);
    return mix(c, rgb(40, 32, 26), 0.7f * rim);
}

// Blood stains: darker, crusted, running downwards.
Color blood(Color c, float x, float y, uint32_t seed, float amount) {
    float b = fbm(x * 0.06f, y * 0.025f, 4, seed);
    float s = smoothstep(0.74f - 0.08f * amount, 0.8f - 0.08f * amount, b);
    return mix(c, shade(kBlood, 0.8f + 0.4f * hashUnit(int(x), int(y), seed)), 0.85f * s);
}

Color paintTorso(float u, float v) {
    const Rect& r = kLayout.torso;
    float x = u * r.w, y = v * r.h;
    float th = aroundAngle(u), z = 42.6f - v * 21.0f; // in units of a 50-tall figure
    if (z < 25.2f) {
        Color c = cloth(kTrousers, x, y, 61u, 1.0f);
        c = blood(c, x, y, 63u, 0.3f);
        // A rope for a belt.
        if (z > 24.4f)
            c = shade(rgb(120, 100, 70), 0.8f + 0.3f * std::sin(x * 1.5f + y));
        return c;
    }
    Color c = cloth(kShirt, x, y, 71u, 1.0f);
    c = shade(c, 0.9f + 0.1f * std::sin(th * 3.0f));
    // Buttons down the front, some missing; the placket edge.
    c = mix(c, shade(kShirt, 0.6f), 0.6f * line(th, 0.015f, 0.02f));
    for (float bz : {28.5f, 31.5f, 34.5f, 37.5f})
        if (bz != 31.5f)
            c = mix(c, rgb(60, 56, 50), ellipse(th, z, 0.06f, bz, 0.05f, 0.35f));
    // Collar.
    if (z > 40.2f)
        c = shade(c, 0.8f);
    c = torn(c, x, y, 73u, 0.6f);
    // The shirt's hem hangs in tatters.
    float hemLine = 26.0f + 1.4f * fbm(x * 0.3f, 0, 2, 75u);
    if (z < hemLine)
        c = mix(c, deadSkin(x, y, 76u), 0.0f);
    c = blood(c, x, y, 77u, 0.8f);
    // Stains of dirt and the dark under the arms.
    c = shade(c, 0.8f + 0.2f * fbm(x * 0.04f, y * 0.04f, 3, 79u));
    float armpit = std::exp(-std::pow((std::fabs(th) - kPi / 2) / 0.35f, 2.0f)) *
                   smoothstep(33.0f, 38.5f, z) * smoothstep(41.0f, 39.0f, z);
    return shade(c, 1.0f - 0.4f * armpit);
}

Color paintHead(float u, float v) {
    const Rect& r = kLayout.head;
    float x = u * r.w, y = v * r.h;
    float th = aroundAngle(u), z = 50.0f - v * 9.0f, a = std::fabs(th);
    Color c = deadSkin(x, y, 81u);
    // Sunken cheeks and eyes, grey lips.
    c = shade(c, 1.0f - 0.25f * ellipse(a, z, 0.85f, 45.6f, 0.3f, 0.7f, 0.6f));
    c = shade(c, 1.0f - 0.25f * smoothstep(44.2f, 43.3f, z));
    for (float side : {-1.0f, 1.0f}) {
        float ex = th - side * 0.42f;
        c = mix(c, rgb(40, 30, 38), 0.85f * ellipse(ex, z, 0, 47.2f, 0.24f, 0.42f, 0.5f));
        float eye = ellipse(ex, z, 0, 47.2f, 0.11f, 0.17f, 0.3f);
        c = mix(c, rgb(210, 200, 120), eye);
        c = mix(c, rgb(30, 10, 5), eye * ellipse(ex, z, 0, 47.2f, 0.03f, 0.08f, 0.3f));
        float brow = ellipse(ex, z, 0.0f, 48.0f - 0.2f * ex * side, 0.2f, 0.1f, 0.4f);
        c = mix(c, rgb(50, 50, 40), 0.7f * brow);
    }
    // The nose half gone.
    c = mix(c, rgb(60, 20, 18), 0.8f * ellipse(th, z, 0.03f, 46.0f, 0.08f, 0.35f, 0.4f));
    // Open mouth: dark inside, a row of yellow teeth.
    float mouth = ellipse(th, z, 0, 44.95f, 0.32f, 0.5f, 0.25f);
    c = mix(c, rgb(90, 60, 60), 0.8f * ellipse(th, z, 0, 44.95f, 0.38f, 0.62f, 0.3f));
    c = mix(c, rgb(25, 8, 8), mouth);
    float teeth = mouth * (z > 45.15f && z < 45.4f ? 1.0f : 0.0f) *
                  (std::fabs(std::sin(th * 40.0f)) > 0.25f ? 1.0f : 0.4f);
    c = mix(c, rgb(200, 185, 130), teeth);
    float lower = mouth * (z < 44.7f && z > 44.45f ? 1.0f : 0.0f) *
                  (std::fabs(std::sin(th * 36.0f + 1)) > 0.3f ? 1.0f : 0.3f);
    c = mix(c, rgb(180, 165, 110), lower);
    // Blood from the mouth down the chin.
    float drip =
        line(th - 0.12f - 0.02f * std::sin(z * 6), 0.03f, 0.02f) * smoothstep(44.8f, 43.2f, z);
    c = mix(c, kBlood, 0.8f * drip);
    // Ears, a torn one.
    float ear = ellipse(a, z, kPi / 2, 46.9f, 0.17f, 0.8f, 0.2f);
    c = shade(c, 1.0f - 0.25f * ear);
    // Thin, matted hair in patches over the scalp.
    float scalp = smoothstep(48.3f, 48.9f, z + 0.6f * smoothstep(1.4f, 2.6f, a) * 4.0f);
    float patches = smoothstep(0.45f, 0.55f, fbm(x * 0.15f, y * 0.15f, 3, 85u));
    float strands = fbm(x * 0.6f, y * 0.1f, 3, 87u);
    c = mix(c, shade(rgb(45, 40, 32), 0.7f + 0.6f * strands), scalp * patches);
    c = blood(c, x + 300, y, 89u, 0.2f);
    return c;
}

Color paintArm(float u, float v) {
    const Rect& r = kLayout.arm;
    float x = u * r.w, y = v * r.h;
    // The sleeve is torn off above the elbow, ragged.
    float end = 0.42f + 0.1f * fbm(x * 0.25f, 0, 2, 91u);
    Color c = v < end ? torn(cloth(kShirt, x, y, 93u, 1.0f), x, y, 95u, 0.4f) : deadSkin(x, y, 97u);
    c = mix(c, rgb(40, 34, 28), 0.7f * line(v - end, 0.01f, 0.01f));
    c = blood(c, x, y, 99u, 0.6f);
    return c;
}

Color paintLeg(float u, float v) {
    const Rect& r = kLayout.leg;
    float x = u * r.w, y = v * r.h;
    float th = aroundAngle(u);
    // Trousers ripped off at the shins.
    float end = 0.72f + 0.08f * fbm(x * 0.2f, 0, 2, 101u);
    Color c;
    if (v < end) {
        c = cloth(kTrousers, x, y, 103u, 1.0f);
        c = torn(c, x, y, 105u, 0.35f);
        c = shade(c, 1.0f - 0.2f * line(angleDist(std::fabs(th), kPi / 2), 0.02f, 0.02f));
        // Mud and dried blood towards the bottom.
        c = mix(c, rgb(60, 48, 36),
                0.5f * smoothstep(0.4f, end, v) * fbm(x * 0.1f, y * 0.1f, 3, 107u));
    } else {
        c = deadSkin(x, y, 109u);
    }
    c = mix(c, rgb(40, 32, 24), 0.7f * line(v - end, 0.006f, 0.008f));
    return blood(c, x, y, 111u, 0.4f);
}

Color paintHand(float u, float v) {
    const Rect& r = kLayout.hand;
    float th = aroundAngle(u);
    Color c = deadSkin(u * r.w, v * r.h, 121u);
    if (v > 0.5f)
        c = shade(c, 1.0f - 0.35f * std::pow(std::fabs(std::sin(th * 4.0f)), 10.0f));
    // Dark, broken nails at the tips.
    c = mix(c, rgb(60, 50, 40), 0.8f * smoothstep(0.88f, 0.96f, v));
    return blood(c, u * r.w, v * r.h, 123u, 0.5f);
}

Color paintFoot(float u, float v) {
    const Rect& r = kLayout.foot;
    float th = aroundAngle(u), a = std::fabs(th);
    Color c = deadSkin(u * r.w, v * r.h, 131u);
    // Toes and grime.
    if (v > 0.75f)
        c = shade(c, 1.0f - 0.35f * std::pow(std::fabs(std::sin(th * 5.0f)), 8.0f));
    c = mix(c, rgb(50, 42, 32), 0.7f * smoothstep(1.8f, 2.6f, a));
    return c;
}

Skeleton zombieSkeleton(Mesh& mesh) {
    BodySpec spec;
    spec.height = kHeight;
    spec.feet = kFeet;
    spec.girth = 0.86f;
    spec.limbGirth = 0.82f;
    spec.barefoot = true;
    return buildHumanoid(mesh, spec, kLayout);
}

// The hunched, reaching stance every animation starts from.
Pose hunch() {
    Pose p;
    p.rot[Spine] = {0, 12, 0};
    p.rot[Chest] = {0, 14, 0};
    p.rot[Head] = {6, -16, 0};
    p.rot[LUpperArm] = {-8, -88, 0};
    p.rot[RUpperArm] = {8, -78, 0};
    p.rot[LForearm] = {0, -14, 0};
    p.rot[RForearm] = {0, -20, 0};
    p.rot[LHand] = {0, 22, 0};
    p.rot[RHand] = {0, 26, 0};
    for (int thigh : {LThigh, RThigh}) {
        p.rot[size_t(thigh)] = {0, -16, 0};
        p.rot[size_t(thigh + 1)] = {0, 24, 0};
        p.rot[size_t(thigh + 2)] = {0, -8, 0};
    }
    p.rot[LThigh].x = 3;
    p.rot[RThigh].x = -3;
    return p;
}

Pose blend(const Pose& a, const Pose& b, float t) {
    Pose p;
    for (size_t i = 0; i < BoneCount; ++i)
        p.rot[i] = lerp(a.rot[i], b.rot[i], t);
    p.offset = lerp(a.offset, b.offset, t);
    p.fall = lerp(a.fall, b.fall, t);
    p.fallX = lerp(a.fallX, b.fallX, t);
    return p;
}

// One leg through a stride: phase 0 is the foot planted in front.
void stride(Pose& p, int thigh, float phase, float swing, float lift, float baseKnee) {
    p.rot[size_t(thigh)].y += -swing * std::cos(phase);
    float recover = std::max(0.0f, std::sin(phase));
    p.rot[size_t(thigh + 1)].y = baseKnee + lift * recover * recover;
    p.rot[size_t(thigh + 2)].y += -0.4f * swing * std::cos(phase) * 0.5f - 0.3f * lift * recover;
}

Pose walkPose(float ph) {
    Pose p = hunch();
    // The left leg steps; the right one drags, turned out and stiff.
    stride(p, LThigh, ph, 22, 45, 20);
    stride(p, RThigh, ph + kPi, 14, 18, 16);
    p.rot[RThigh].z = -14;
    p.rot[RFoot].x = 8;
    // The body rocks over the stepping leg, the head lolls after it.
    p.rot[Root] = {7 * std::sin(ph), 4, 6 * std::cos(ph)};
    p.rot[Chest].x = -4 * std::sin(ph);
    p.rot[Head].x = 6 - 10 * std::sin(ph - 0.6f);
    p.rot[Head].z = 8 * std::sin(ph);
    p.rot[LUpperArm].y += 9 * std::sin(ph + 0.5f);
    p.rot[RUpperArm].y += 7 * std::sin(ph + 2.5f);
    p.rot[LForearm].y += -6 * std::sin(ph);
    return p;
}

Pose runPose(float ph) {
    Pose p = hunch();
    p.rot[Spine].y = 22;
    p.rot[Chest].y = 12;
    p.rot[Head].y = -24;
    stride(p, LThigh, ph, 36, 85, 22);
    stride(p, RThigh, ph + kPi, 32, 75, 20);
    p.rot[Root] = {4 * std::sin(ph), 6, 10 * std::cos(ph)};
    // Arms flail forward by turns.
    p.rot[LUpperArm].y = -60 - 35 * std::sin(ph);
    p.rot[RUpperArm].y = -60 + 35 * std::sin(ph);
    p.rot[LForearm].y = -30 - 20 * std::max(0.0f, std::sin(ph));
    p.rot[RForearm].y = -30 - 20 * std::max(0.0f, -std::sin(ph));
    p.rot[Head].z = 6 * std::sin(ph);
    return p;
}

Pose attackPose(int i) {
    Pose base = hunch();
    Pose up = base, swipe = base, through = base;
    // Both arms thrown up and back, the body rearing.
    up.rot[Spine].y = -2;
    up.rot[Chest].y = -8;
    up.rot[Head].y = -24;
    up.rot[LUpperArm] = {20, -160, 0};
    up.rot[RUpperArm] = {-20, -160, 0};
    up.rot[LForearm].y = -40;
    up.rot[RForearm].y = -40;
    up.rot[LHand].y = -20;
    up.rot[RHand].y = -20;
    // Clawing down and across, lunging forward.
    swipe.rot[Spine].y = 26;
    swipe.rot[Chest].y = 22;
    swipe.rot[Head].y = -20;
    swipe.rot[LUpperArm] = {-30, -70, 20};
    swipe.rot[RUpperArm] = {30, -70, -20};
    swipe.rot[LForearm].y = -8;
    swipe.rot[RForearm].y = -8;
    swipe.rot[LThigh].y = -30;
    swipe.rot[LShin].y = 38;
    swipe.rot[RThigh].y = -4;
    // Arms crossed low after the blow.
    through = swipe;
    through.rot[Spine].y = 30;
    through.rot[LUpperArm] = {-40, -20, 30};
    through.rot[RUpperArm] = {40, -20, -30};
    through.rot[LForearm].y = -25;
    through.rot[RForearm].y = -25;
    switch (i) {
    case 0:
        return base;
    case 1:
        return blend(base, up, 0.6f);
    case 2:
        return up;
    case 3:
        return swipe;
    case 4:
        return through;
    case 5:
        return blend(through, base, 0.5f);
    default:
        return base;
    }
}

Pose deathPose(int i) {
    Pose base = hunch();
    // Struck: snapped upright and back, arms thrown wide.
    Pose hit = base;
    hit.rot[Spine].y = -10;
    hit.rot[Chest].y = -14;
    hit.rot[Head].y = -30;
    hit.rot[LUpperArm] = {40, -40, 0};
    hit.rot[RUpperArm] = {-40, -50, 0};
    hit.fall = -8;
    // Knees give, the body folds as it drops backwards.
    Pose buckle = hit;
    buckle.rot[LThigh].y = -40;
    buckle.rot[RThigh].y = -30;
    buckle.rot[LShin].y = 70;
    buckle.rot[RShin].y = 60;
    buckle.rot[Spine].y = 10;
    buckle.rot[Head].y = 10;
    buckle.rot[LUpperArm] = {30, -20, 0};
    buckle.rot[RUpperArm] = {-30, -30, 0};
    buckle.fall = -30;
    // Flat on its back, limbs loose.
    Pose down = base;
    down.fall = -90;
    down.fallX = -6;
    down.rot[Spine].y = -4;
    down.rot[Chest].y = -4;
    down.rot[Head] = {0, -10, 25};
    down.rot[LUpperArm] = {75, 8, 0};
    down.rot[RUpperArm] = {-60, 10, 0};
    down.rot[LForearm].y = -20;
    down.rot[RForearm].y = -35;
    down.rot[LHand].y = 0;
    down.rot[RHand].y = 0;
    down.rot[LThigh] = {12, -6, 10};
    down.rot[RThigh] = {-8, 2, -10};
    down.rot[LShin].y = 14;
    down.rot[RShin].y = 6;
    down.rot[LFoot].y = 20;
    down.rot[RFoot].y = 30;
    Pose falling = blend(buckle, down, 0.55f);
    Pose bounce = down;
    bounce.rot[Head] = {0, -20, 30};
    bounce.rot[LUpperArm].x = 82;
    bounce.rot[LThigh].y = -12;
    switch (i) {
    case 0:
        return base;
    case 1:
        return hit;
    case 2:
        return buckle;
    case 3:
        return falling;
    case 4:
        return bounce;
    default:
        return down;
    }
}

} // namespace

Figure makeZombie() {
    Figure f;
    Skeleton sk = zombieSkeleton(f.mesh);
    paintHumanoid(f.skin, {paintTorso, paintHead, paintArm, paintLeg, paintHand, paintFoot});

    auto frame = [&](const Pose& p) {
        std::vector<Vec3> v = f.mesh.posed(poseBones(sk, p, kFeet));
        standOnGround(v, kFeet);
        return v;
    };
    // Cycles play every frame but the last, which repeats the first.
    const int walk = 9, run = 7, attack = 7, death = 7;
    f.addAnimation("crwalk", walk, [&](int i) { return frame(walkPose(loopPhase(i, walk))); });
    f.addAnimation("run", run, [&](int i) { return frame(runPose(loopPhase(i, run))); });
    f.addAnimation("crattack", attack, [&](int i) { return frame(attackPose(i % (attack - 1))); });
    // A dying zombie is shown for 0.9 s, four and a half keyframes: it is on
    // the ground by the fifth frame and stays there.
    f.addAnimation("death", death, [&](int i) { return frame(deathPose(i)); });
    return f;
}

} // namespace content
