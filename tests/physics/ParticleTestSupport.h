#pragma once

#include "core/Random.h"
#include "physics/Particle.h"
#include "physics/ParticleEmitter.h"
#include "physics/ParticlePool.h"
#include "physics/ParticleSystem.h"
#include "support/FakeClock.h"
#include "support/ParticleReset.h"

#include <gtest/gtest.h>

#include <vector>

// Each test gets a fresh particle system, a fake clock and a known random
// sequence. Particles still alive at the end go back to the pool so that
// tests after it can count allocations.
class ParticleTest : public ::testing::Test {
protected:
    using ParticleSystem = Quillmere::Physics::ParticleSystem;
    using ParticleEmitter = Quillmere::Physics::ParticleEmitter;
    using Particle = Quillmere::Physics::Particle;
    using ParticlePool = Quillmere::Physics::ParticlePool;

    void SetUp() override {
        Random::seed(4242);
        system = ParticleSystem::getInstance();
    }

    void TearDown() override {
        refill();
        resetParticleSystem();
    }

    // An emitter attached to the system, emitting straight away on the next
    // update; its particles live long enough to be counted.
    ParticleEmitter* addEmitter() {
        auto* emitter = new ParticleEmitter();
        emitter->system = system;
        emitter->life.value = 1000.0f;
        system->addEmitter(emitter);
        return emitter;
    }

    // Runs one system update with the given clock delta.
    void step(float dt) {
        clock.clock.delta = dt;
        system->update();
    }

    size_t alive() const { return system->getParticles().size(); }

    // Takes every waiting particle out of the pool, so that the next acquire
    // allocates; give them back with refill().
    void drainPool() {
        while (ParticlePool::freeCount() > 0) {
            drained.push_back(ParticlePool::acquire());
        }
    }
    void refill() {
        for (Particle* p : drained) {
            ParticlePool::release(p);
        }
        drained.clear();
    }

    ScopedFakeClock clock;
    ParticleSystem* system = nullptr;
    std::vector<Particle*> drained;
};
