#pragma once

#include "Mesh.h"

#include <array>
#include <vector>

namespace content {

// The bones of a standing figure. Left is model +y, forward +x, up +z.
enum Bone {
    Root,
    Spine,
    Chest,
    Head,
    LUpperArm,
    LForearm,
    LHand,
    RUpperArm,
    RForearm,
    RHand,
    LThigh,
    LShin,
    LFoot,
    RThigh,
    RShin,
    RFoot,
    BoneCount
};

struct BodySpec {
    float height = 50;   // crown above the soles
    float feet = 0;      // z of the soles
    float girth = 1;     // torso thickness
    float limbGirth = 1; // arm and leg thickness
    bool jacket = false; // sleeve cuffs and a collar
    bool barefoot = false;
};

struct HumanoidLayout {
    Rect torso, head, arm, leg, hand, foot;
};

// The skin layout both figures paint: left and right limbs share theirs.
extern const HumanoidLayout kHumanoidLayout;

// A painter for each part of the layout: colour at (u, v) of its rectangle.
struct HumanoidPainters {
    using Painter = Color (*)(float u, float v);
    Painter torso, head, arm, leg, hand, foot;
};

// Paints every part of kHumanoidLayout onto the skin.
void paintHumanoid(Canvas& skin, const HumanoidPainters& painters);

struct Skeleton {
    std::array<Vec3, BoneCount> pivot;
    std::array<int, BoneCount> parent;
};

// Joint angles in degrees: x rolls about the forward axis (positive lifts a
// left limb outwards), y pitches about the left axis (positive leans the
// trunk forward and swings a hanging limb back), z turns to the left.
struct Pose {
    std::array<Vec3, BoneCount> rot{};
    Vec3 offset;     // moves the whole figure
    float fall = 0;  // pitch of the whole figure about a point on the ground
    float fallX = 0; // where that point is along x
};

// Builds the figure's rest mesh (arms hanging, legs straight) into mesh and
// returns its joints.
Skeleton buildHumanoid(Mesh& mesh, const BodySpec& spec, const HumanoidLayout& layout);

// Each bone's transform from the rest pose to the given pose.
std::vector<Mat> poseBones(const Skeleton& skeleton, const Pose& pose, float feet);

// Posed positions moved up or down so that the lowest point is on the ground.
void standOnGround(std::vector<Vec3>& positions, float feet);

} // namespace content
