#pragma once

#include "physics/RandomValue.h"
#include "physics/Vector3f.h"

namespace Quillmere {
namespace Physics {

class ParticleSystem;

// Sprays particles into a system in bursts. Game code creates one, sets the
// fields it wants and hands it to ParticleSystem::addEmitter.
class ParticleEmitter {
public:
    bool active = true;
    ParticleSystem* system = nullptr; // receives the particles; set by the creator
    float accumulator = 0.0f;         // pending bursts; one per whole unit
    float burstsPerSecond = 10.0f;
    float particlesPerBurst = 1.0f; // a fraction rounds up
    float windFactor = 1.0f;
    float gravityFactor = 1.0f;
    float forceFactor = 1.0f;
    float dragFactor = 1.0f;
    RandomValue directionX{0.0f, 0.0f, RandomValue::Symmetric};
    RandomValue directionY{0.0f, 0.0f, RandomValue::Symmetric};
    RandomValue directionZ{0.0f, 0.0f, RandomValue::Symmetric};
    RandomValue speed{10.0f, 0.25f, RandomValue::Symmetric};
    RandomValue life{3.0f, 0.5f, RandomValue::Symmetric};
    float timeToLive = 0.0f;    // clock seconds left; counts only when not endless
    float particlesLeft = 0.0f; // budget; used only with limitedParticles
    bool limitedParticles = false;
    bool endless = true;
    Vector3f position;
    Vector3f positionVariance; // spread of the start position on each axis

    // Advances by the global clock's last delta, emitting the bursts that
    // have come due; false once the emitter has expired.
    bool update();

    // Adds one particle to the system.
    void emit();

private:
    void burst();
};

} // namespace Physics
} // namespace Quillmere
