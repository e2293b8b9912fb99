#pragma once

#include "Canvas.h"

#include <string>

namespace content {

struct SceneryModel {
    std::string obj, mtl;
};

// The field: a finely divided square at height 0 out to the fence's overhang.
SceneryModel makeGrassPlane();
Canvas makeGrassTexture();
// One fence segment 123 long along z, from -184.5 to -61.5: posts and rails.
SceneryModel makeFence();
Canvas makeFencePostTexture();
Canvas makeFenceRailTexture();

Canvas makeWaterTexture();
Canvas makeParticleTexture();
Canvas makeShellTexture();

} // namespace content
