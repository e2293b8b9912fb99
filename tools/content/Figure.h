#pragma once

#include "Canvas.h"
#include "Humanoid.h"
#include "Md2File.h"
#include "Mesh.h"

#include <functional>
#include <string>
#include <vector>

namespace content {

constexpr int kSkinSize = 256;

// A keyframe model with its painted skin.
struct Figure {
    Mesh mesh;
    Canvas skin{kSkinSize, kSkinSize};
    bool skinAlpha = false; // write the skin with its alpha channel
    std::vector<Md2Frame> frames;

    // Appends an animation of count frames named name01, name02, ...;
    // positions(i) gives the posed vertices of frame i.
    void addAnimation(const std::string& name, int count,
                      const std::function<std::vector<Vec3>(int)>& positions);
};

// A looping animation: count - 1 distinct poses at phases 0, 1/(count-1), ...
// and a last frame equal to the first, which playback never shows but
// blends nothing towards either.
inline float loopPhase(int frame, int count) {
    return 2 * kPi * float(frame) / float(count - 1);
}

Figure makeCharacter();
// Where the survivor's right hand holds its gun in the idle pose, in the
// figure's model space: origin in the grip, x along the barrel, z up.
Mat characterGunGrip();
Figure makeZombie();
Figure makeGraveStone();
Figure makeBanana();
Figure makeWeapon();
Figure makeShotgun();

} // namespace content
