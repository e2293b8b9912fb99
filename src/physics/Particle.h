#pragma once

#include "physics/Vector3f.h"

namespace Quillmere {
namespace Physics {

// One particle. Allocated once and recycled through the ParticlePool for the
// rest of the run; an emitter sets every field when it hands one out.
class Particle {
public:
    Vector3f position;
    Vector3f velocity; // units per clock second
    float life = 0.0f; // clock seconds left; dead once below 0
    float windFactor = 0.0f;
    float gravityFactor = 0.0f;
    float forceFactor = 0.0f;
    float dragFactor = 0.0f;
};

} // namespace Physics
} // namespace Quillmere
