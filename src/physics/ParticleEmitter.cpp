#include "physics/ParticleEmitter.h"

#include "core/IClock.h"
#include "physics/Particle.h"
#include "physics/ParticlePool.h"
#include "physics/ParticleSystem.h"

namespace Quillmere {
namespace Physics {

bool ParticleEmitter::update() {
    float dt = getClock()->getDeltaSeconds();
    if (!endless) {
        timeToLive -= dt;
        if (timeToLive < 0.0f) {
            return false;
        }
    }
    if (!active) {
        return true;
    }
    accumulator += dt * burstsPerSecond;
    int bursts = static_cast<int>(accumulator);
    for (int i = 0; i < bursts; ++i) {
        burst();
        accumulator -= 1.0f;
    }
    return true;
}

void ParticleEmitter::burst() {
    for (int j = 0; j < particlesPerBurst; ++j) {
        if (!limitedParticles) {
            emit();
        } else if (particlesLeft > 0.0f) {
            emit();
            particlesLeft -= 1.0f;
        }
    }
}

void ParticleEmitter::emit() {
    // An emitter nobody attached has nowhere to put a particle.
    if (system == nullptr) {
        return;
    }
    Particle* p = ParticlePool::acquire();
    // The order of the draws decides which random number goes where.
    p->position.x = randomOffset(positionVariance.x, RandomValue::Symmetric) + position.x;
    p->position.y = randomOffset(positionVariance.y, RandomValue::Symmetric) + position.y;
    p->position.z = randomOffset(positionVariance.z, RandomValue::Symmetric) + position.z;
    float vx = directionX.sample();
    float vy = directionY.sample();
    float vz = directionZ.sample();
    p->velocity = Vector3f(vx, vy, vz);
    p->velocity *= speed.sampleRelative();
    p->life = life.sampleRelative();
    p->windFactor = windFactor;
    p->gravityFactor = gravityFactor;
    p->forceFactor = forceFactor;
    p->dragFactor = dragFactor;
    system->getParticles().push_back(p);
}

} // namespace Physics
} // namespace Quillmere
