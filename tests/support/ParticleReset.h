#pragma once

#include "physics/ParticleEmitter.h"
#include "physics/ParticlePool.h"
#include "physics/ParticleSystem.h"

// Ends the particle system: its particles go back to the pool and its
// emitters are deleted, so that the next use starts a fresh system with no
// gravity and nothing in it.
inline void resetParticleSystem() {
    auto* system = Quillmere::Physics::ParticleSystem::getInstance();
    for (auto* p : system->getParticles()) {
        Quillmere::Physics::ParticlePool::release(p);
    }
    for (auto* e : system->getEmitters()) {
        delete e;
    }
    delete system;
}
