#pragma once

#include "physics/Vector3f.h"

namespace Quillmere {
namespace Physics {

// A point that pulls particles towards itself, weaker with distance:
// strength / (quadraticAttenuation * d^2 + linearAttenuation * d + 1).
class Force {
public:
    Vector3f position;
    float strength = 0.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
};

} // namespace Physics
} // namespace Quillmere
