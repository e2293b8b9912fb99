#pragma once

#include "physics/ParticleEmitter.h"
#include "physics/ParticleSystem.h"

// An emitter set up as a projectile's hit sets one up, added to system: a
// burst of 100 at once and another after 4 clock seconds, gone after 5.
inline Quillmere::Physics::ParticleEmitter*
addSprayEmitter(Quillmere::Physics::ParticleSystem* system) {
    auto* e = new Quillmere::Physics::ParticleEmitter();
    e->system = system;
    e->burstsPerSecond = 0.25f;
    e->particlesPerBurst = 100.0f;
    e->life.value = 10.0f;
    e->directionX.variance = 0.5f;
    e->directionY.variance = 0.5f;
    e->accumulator = 1.0f;
    e->speed.value = 60.0f;
    e->speed.variance = 0.5f;
    e->endless = false;
    e->timeToLive = 5.0f;
    system->addEmitter(e);
    return e;
}
