// The survivor: field jacket, jeans, boots, short hair, a pistol in the
// right hand.

#include "Figure.h"
#include "Paint.h"

#include <cmath>

namespace content {

namespace {

constexpr float kHeight = 50;
constexpr float kFeet = -10; // the game lifts the figure by 10

const HumanoidLayout& kLayout = kHumanoidLayout;

const Color kJacket = rgb(84, 90, 58);
const Color kShirt = rgb(120, 38, 34);
const Color kDenim = rgb(50, 64, 96);
const Color kLeather = rgb(66, 44, 30);
const Color kSkin = rgb(206, 160, 124);
const Color kHair = rgb(52, 36, 24);

// Height above the soles, in figure units, of a torso texture row.
float torsoZ(float v) {
    return 42.6f - v * 21.0f;
}
float headZ(float v) {
    return 50.0f - v * 9.0f;
}

Color paintTorso(float u, float v) {
    const Rect& r = kLayout.torso;
    float x = u * r.w, y = v * r.h;
    float th = aroundAngle(u), z = torsoZ(v);
    float front = std::fabs(th);
    if (z < 25.6f) {
        // Jeans below the jacket's hem, a belt just under it.
        Color c = cloth(kDenim, x, y, 11u, 0.6f);
        if (z > 24.6f)
            c = shade(rgb(40, 28, 20), 0.9f + 0.2f * hashUnit(int(x), 0, 3u));
        return c;
    }
    Color c = cloth(kJacket, x, y, 21u, 0.7f);
    // Open front showing the shirt, with the zip's two edges.
    float opening = 0.22f + 0.05f * (z - 26) / 16;
    if (front < opening && z < 40.5f) {
        Color s = cloth(kShirt, x * 1.3f, y * 1.3f, 7u, 0.4f);
        // A shadow under each edge of the jacket.
        s = shade(s, 0.65f + 0.35f * smoothstep(0.0f, opening, opening - front + 0.05f));
        return s;
    }
    float edge = line(front - opening, 0.02f, 0.03f);
    c = mix(c, rgb(40, 40, 30), 0.7f * edge);
    c = mix(c, shade(kJacket, 1.25f), 0.5f * line(front - opening - 0.06f, 0.015f, 0.02f));
    // Collar, turned down, lighter underside and a dark fold line.
    if (z > 40.0f) {
        c = shade(c, 1.08f);
        c = mix(c, rgb(40, 42, 28), 0.6f * line(z - 40.3f, 0.12f, 0.2f));
    }
    // Seams: sides, centre back, shoulder yoke; stitched double lines.
    float seam = line(angleDist(front, kPi / 2), 0.012f, 0.02f) +
                 line(angleDist(th, kPi), 0.012f, 0.02f) +
                 (front > 1.6f ? line(z - 37.6f, 0.15f, 0.2f) : 0.0f);
    c = mix(c, shade(kJacket, 0.55f), 0.6f * clamp01(seam));
    // Chest pockets with flaps and waist pockets.
    for (float side : {-1.0f, 1.0f}) {
        float pu = side * 0.72f;
        float dx = th - pu;
        if (std::fabs(dx) < 0.3f && z > 32.5f && z < 36.6f) {
            float flap = line(z - 35.4f, 0.08f, 0.15f);
            float rim = line(std::fabs(dx) - 0.28f, 0.01f, 0.02f) + line(z - 32.7f, 0.08f, 0.15f);
            c = shade(c, 1.0f - 0.25f * clamp01(rim + flap));
            if (z > 35.4f)
                c = shade(c, 1.1f); // the flap catches the light
            c = mix(c, rgb(150, 140, 90), 0.8f * ellipse(dx, z, 0, 35.9f, 0.03f, 0.25f));
        }
        float wdx = th - side * 0.95f;
        if (std::fabs(wdx) < 0.34f && z > 26.6f && z < 30.5f) {
            float rim = line(std::fabs(wdx) - 0.32f, 0.012f, 0.02f) + line(z - 30.3f, 0.1f, 0.15f);
            c = shade(c, 1.0f - 0.3f * clamp01(rim));
        }
    }
    // Hem band and waist creases.
    if (z < 27.0f) {
        c = shade(c, 0.86f);
        c = mix(c, shade(kJacket, 0.5f), 0.5f * line(z - 26.95f, 0.06f, 0.1f));
    }
    float crease = std::sin(z * 3.1f + 2.0f * fbm(x * 0.1f, y * 0.1f, 2, 5u)) * 0.5f + 0.5f;
    c = shade(c, 1.0f - 0.1f * crease * smoothstep(31.0f, 28.0f, z) * std::fabs(std::sin(th)));
    // Under the arms and at the hem the light does not reach.
    float armpit = std::exp(-std::pow((front - kPi / 2) / 0.35f, 2.0f)) *
                   smoothstep(33.0f, 38.5f, z) * smoothstep(41.0f, 39.0f, z);
    c = shade(c, 1.0f - 0.35f * armpit);
    c = shade(c, 0.85f + 0.15f * smoothstep(25.6f, 28.0f, z));
    return c;
}

Color paintHead(float u, float v) {
    const Rect& r = kLayout.head;
    float x = u * r.w, y = v * r.h;
    float th = aroundAngle(u), z = headZ(v), a = std::fabs(th);
    Color c = skin(kSkin, x, y, 31u);
    // Cheeks warmer, eye sockets and under the jaw darker.
    c = mix(c, rgb(200, 120, 100), 0.18f * ellipse(a, z, 0.75f, 46.3f, 0.3f, 0.8f, 0.6f));
    c = shade(c, 1.0f - 0.22f * ellipse(a, z, 0.42f, 47.3f, 0.22f, 0.35f, 0.6f));
    c = shade(c, 1.0f - 0.3f * smoothstep(44.2f, 43.3f, z));
    // Stubble on jaw and upper lip.
    float stubble = ellipse(a, z, 0.0f, 44.7f, 1.25f, 1.1f, 0.4f) *
                    (0.6f + 0.4f * hashUnit(int(x * 2), int(y * 2), 9u));
    c = mix(c, rgb(95, 80, 70), 0.38f * stubble * (z < 45.9f ? 1.0f : 0.0f));
    // Nose: shaded sides, a lit ridge, nostrils.
    c = shade(c, 1.0f - 0.18f * ellipse(a, z, 0.16f, 46.3f, 0.07f, 0.5f, 0.5f));
    c = shade(c, 1.0f + 0.12f * ellipse(th, z, 0.0f, 46.6f, 0.05f, 0.6f, 0.5f));
    c = mix(c, rgb(70, 40, 35), 0.7f * ellipse(a, z, 0.08f, 45.85f, 0.045f, 0.09f));
    // Mouth.
    float lips = ellipse(th, z, 0.0f, 45.2f, 0.27f, 0.16f, 0.3f);
    c = mix(c, rgb(150, 82, 74), 0.7f * lips);
    c = mix(c, rgb(60, 30, 28), 0.85f * ellipse(th, z, 0.0f, 45.22f, 0.24f, 0.045f, 0.3f));
    // Eyes: white, iris, pupil, lid line, and brows above.
    for (float side : {-1.0f, 1.0f}) {
        float ex = th - side * 0.42f;
        float white = ellipse(ex, z, 0, 47.2f, 0.16f, 0.2f, 0.25f);
        c = mix(c, rgb(225, 220, 210), 0.9f * white);
        c = mix(c, rgb(70, 90, 60), white * ellipse(ex, z, 0, 47.2f, 0.07f, 0.2f, 0.2f));
        c = mix(c, rgb(15, 12, 10), white * ellipse(ex, z, 0, 47.2f, 0.035f, 0.1f, 0.2f));
        c = mix(c, rgb(45, 30, 25), 0.9f * ellipse(ex, z, 0, 47.42f, 0.18f, 0.07f, 0.3f));
        float brow = ellipse(ex, z, 0.02f * side, 47.95f + 0.25f * ex * side, 0.22f, 0.12f, 0.35f);
        c = mix(c, kHair, 0.9f * brow);
    }
    // Ears: outline and a shadowed hollow.
    float ear = ellipse(a, z, kPi / 2, 46.9f, 0.17f, 0.85f, 0.2f);
    c = shade(c, 1.0f - 0.2f * ear * (1.0f - ellipse(a, z, kPi / 2, 46.9f, 0.08f, 0.5f, 0.4f)));
    // Hair: short, over the top, sides above the ears and the back.
    float hairline = a < 1.15f ? 48.75f + 0.2f * std::cos(th * 6.0f) : (a < 1.9f ? 47.8f : 44.2f);
    hairline -= 0.6f * smoothstep(1.9f, 2.6f, a);
    float hair = smoothstep(hairline - 0.15f, hairline + 0.2f, z);
    if (hair > 0) {
        float strands = fbm(x * 0.5f, y * 0.12f, 3, 41u);
        Color h = shade(kHair, 0.75f + 0.5f * strands);
        h = shade(h, 1.0f + 0.15f * smoothstep(48.5f, 50.0f, z) * (std::cos(th) * 0.5f + 0.5f));
        c = mix(c, h, hair);
    }
    // The neck goes into the collar's shadow.
    c = shade(c, 1.0f - 0.25f * smoothstep(43.0f, 41.5f, z));
    return c;
}

Color paintArm(float u, float v) {
    const Rect& r = kLayout.arm;
    float x = u * r.w, y = v * r.h;
    float th = aroundAngle(u);
    Color c = cloth(kJacket, x, y, 23u, 0.7f);
    // Creases round the elbow, a seam down the back, the cuff.
    float elbow = std::exp(-std::pow((v - 0.56f) / 0.07f, 2.0f));
    float wrinkle = std::sin(v * 90.0f + 3.0f * std::sin(th * 2.0f)) * 0.5f + 0.5f;
    c = shade(c, 1.0f - 0.22f * elbow * wrinkle);
    c = mix(c, shade(kJacket, 0.55f), 0.6f * line(angleDist(th, kPi), 0.02f, 0.04f));
    c = mix(c, shade(kJacket, 0.55f), 0.5f * line(v - 0.08f, 0.008f, 0.01f));
    if (v > 0.9f) {
        c = shade(c, 0.82f);
        c = mix(c, rgb(40, 42, 28), 0.6f * line(v - 0.905f, 0.005f, 0.008f));
        c = mix(c, rgb(40, 42, 28), 0.4f * line(v - 0.985f, 0.01f, 0.01f));
    }
    return c;
}

Color paintLeg(float u, float v) {
    const Rect& r = kLayout.leg;
    float x = u * r.w, y = v * r.h;
    float th = aroundAngle(u);
    Color c = cloth(kDenim, x, y, 13u, 0.8f);
    // Twill: fine diagonal lines.
    c = shade(c, 1.0f + 0.06f * std::sin((x + y) * 1.6f));
    // Faded front of the thighs and the knees.
    float fade =
        std::exp(-th * th / 0.6f) * (0.6f * std::exp(-std::pow((v - 0.25f) / 0.15f, 2.0f)) +
                                     0.9f * std::exp(-std::pow((v - 0.5f) / 0.07f, 2.0f)));
    c = mix(c, rgb(120, 140, 170), 0.35f * fade);
    // Creases behind the knee and over the boots.
    float crease = std::sin(v * 120.0f + 2.0f * std::sin(th * 3.0f)) * 0.5f + 0.5f;
    c = shade(c, 1.0f - 0.2f * crease * std::exp(-std::pow((v - 0.52f) / 0.06f, 2.0f)) *
                            smoothstep(1.0f, 2.5f, std::fabs(th)));
    c = shade(c, 1.0f - 0.15f * crease * smoothstep(0.85f, 0.95f, v));
    // Side seams in orange thread.
    float seam = line(angleDist(std::fabs(th), kPi / 2), 0.015f, 0.02f);
    c = mix(c, rgb(150, 110, 60), 0.5f * seam);
    c = shade(c, 1.0f - 0.25f * line(angleDist(std::fabs(th), kPi / 2) - 0.05f, 0.015f, 0.02f));
    // Hem.
    if (v > 0.96f)
        c = shade(c, 0.75f);
    // Shadow at the crotch.
    c = shade(c, 1.0f - 0.3f * smoothstep(0.08f, 0.0f, v) * smoothstep(1.5f, 3.0f, std::fabs(th)));
    return c;
}

Color paintHand(float u, float v) {
    const Rect& r = kLayout.hand;
    float th = aroundAngle(u);
    Color c = skin(kSkin, u * r.w, v * r.h, 33u);
    // Knuckles and finger gaps over the outer half.
    if (v > 0.55f) {
        float gaps = std::pow(std::fabs(std::sin(th * 4.0f)), 12.0f);
        c = shade(c, 1.0f - 0.3f * gaps);
    }
    c = shade(c, 1.0f - 0.15f * std::exp(-std::pow((v - 0.62f) / 0.05f, 2.0f)));
    c = shade(c, 1.0f - 0.2f * smoothstep(0.2f, 0.0f, v));
    return c;
}

Color paintFoot(float u, float v) {
    const Rect& r = kLayout.foot;
    float x = u * r.w, y = v * r.h;
    float th = aroundAngle(u), a = std::fabs(th);
    Color c = skin(kLeather, x, y, 51u); // leather has skin-like blotches
    // Scuffed, lighter toe cap.
    c = mix(c, rgb(110, 80, 55), 0.35f * smoothstep(0.7f, 1.0f, v) * smoothstep(1.6f, 0.4f, a));
    // Laces across the top.
    if (a < 0.55f && v > 0.15f && v < 0.6f) {
        float lace = std::fabs(std::sin(v * 60.0f)) > 0.7f ? 1.0f : 0.0f;
        float cross = line(std::fabs(th) - 0.35f * std::fabs(std::sin(v * 30.0f)), 0.05f, 0.05f);
        c = mix(c, rgb(30, 22, 16), 0.5f * lace);
        c = mix(c, rgb(150, 140, 120), 0.7f * cross);
    }
    // Thick dark sole and its welt.
    if (a > 2.1f)
        c = rgb(28, 24, 22);
    c = mix(c, rgb(90, 80, 70), 0.7f * line(a - 2.1f, 0.03f, 0.04f));
    return c;
}

Skeleton characterSkeleton(Mesh& mesh) {
    BodySpec spec;
    spec.height = kHeight;
    spec.feet = kFeet;
    spec.jacket = true;
    return buildHumanoid(mesh, spec, kLayout);
}

// The idle stance at a phase of the breathing cycle.
Pose idlePose(float phase) {
    Pose p;
    float b = std::sin(phase);
    p.rot[Spine] = {0, 1.0f + 0.6f * b, 0};
    p.rot[Chest] = {0, 1.0f + 1.2f * b, 0};
    p.rot[Root] = {0.9f * std::sin(phase + 0.6f), 0, 2.0f};
    p.offset = {0, 0.25f * std::sin(phase + 0.6f), 0};
    // Looking round: a slow turn of the head to either side and a small nod.
    p.rot[Head] = {0, 3.0f + 2.5f * std::sin(2 * phase), 12.0f * std::sin(phase + 1.2f)};
    // Ready stance: knees soft, feet apart.
    for (int side = 0; side < 2; ++side) {
        float sgn = side == 0 ? 1.0f : -1.0f;
        int thigh = side == 0 ? LThigh : RThigh;
        p.rot[size_t(thigh)] = {sgn * 4.0f, -9.0f + (side ? 4.0f : 0.0f), sgn * 6.0f};
        p.rot[size_t(thigh + 1)] = {0, 14.0f, 0};
        p.rot[size_t(thigh + 2)] = {-sgn * 4.0f, -5.0f, 0};
    }
    // Left arm loose, swinging a little with the breath.
    p.rot[LUpperArm] = {6.0f, -4.0f + 3.0f * std::sin(phase + 1.0f), 0};
    p.rot[LForearm] = {0, -18.0f - 4.0f * b, 0};
    p.rot[LHand] = {0, -10.0f, 0};
    // Right arm holds the pistol forward at the hip; it is kept still so
    // that the gun, a model of its own, stays in the hand.
    p.rot[RUpperArm] = {-14.0f, -22.0f, -8.0f};
    p.rot[RForearm] = {0, -72.0f, 8.0f};
    p.rot[RHand] = {0, -6.0f, 0};
    return p;
}

std::vector<Mat> idleBones(const Skeleton& sk, float phase) {
    Skeleton fixedArm = sk;
    // The gun arm hangs from the rest pose, not from the breathing chest.
    fixedArm.parent[RUpperArm] = -1;
    return poseBones(fixedArm, idlePose(phase), kFeet);
}

// The posed figure standing on the ground; shift tells how far it was moved
// up to stand there.
std::vector<Vec3> idleFrame(const Mesh& mesh, const Skeleton& sk, float phase, float* shift) {
    std::vector<Vec3> p = mesh.posed(idleBones(sk, phase));
    float before = p[0].z;
    standOnGround(p, kFeet);
    if (shift)
        *shift = p[0].z - before;
    return p;
}

} // namespace

Mat characterGunGrip() {
    Mesh mesh;
    Skeleton sk = characterSkeleton(mesh);
    std::vector<Mat> bones = idleBones(sk, 0);
    float shift = 0;
    idleFrame(mesh, sk, 0, &shift);
    // Rest-pose hand frame: the hand hangs along -z, its width along x.
    Vec3 wrist = sk.pivot[RHand];
    Vec3 down = normalize(wrist - sk.pivot[RForearm]);
    Vec3 grip = wrist + down * 2.0f;
    // In the rest pose the barrel would point along the hand (down) and the
    // gun's up is the hand's back edge, -x.
    Mat local;
    local.cx = down;
    local.cz = {-1, 0, 0};
    local.cy = cross(local.cz, local.cx);
    local.t = grip;
    return Mat::translate({0, 0, shift}) * bones[RHand] * local;
}

Figure makeCharacter() {
    Figure f;
    Skeleton sk = characterSkeleton(f.mesh);

    paintHumanoid(f.skin, {paintTorso, paintHead, paintArm, paintLeg, paintHand, paintFoot});

    const int frames = 16;
    f.addAnimation("sas", frames,
                   [&](int i) { return idleFrame(f.mesh, sk, loopPhase(i, frames), nullptr); });
    return f;
}

} // namespace content
