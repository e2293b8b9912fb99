#include "physics/ParticleSystem.h"

#include "core/IClock.h"
#include "physics/Force.h"
#include "physics/Particle.h"
#include "physics/ParticleEmitter.h"
#include "physics/ParticlePool.h"

#include <cmath>

namespace Quillmere {
namespace Physics {

ParticleSystem::ParticleSystem()
    : particles(new std::list<Particle*>()), forces(new std::list<Force*>()),
      emitters(new std::list<ParticleEmitter*>()), drag(0.3f) {}

ParticleSystem::~ParticleSystem() {
    delete particles;
    delete forces;
    delete emitters;
}

void ParticleSystem::addEmitter(ParticleEmitter* emitter) {
    emitters->push_back(emitter);
}

void ParticleSystem::update() {
    updateEmitters();
    updateParticles();
}

void ParticleSystem::updateEmitters() {
    for (auto it = emitters->begin(); it != emitters->end();) {
        ParticleEmitter* emitter = *it;
        if (emitter->update()) {
            ++it;
        } else {
            it = emitters->erase(it);
            delete emitter;
        }
    }
}

Vector3f ParticleSystem::forceOn(const Particle& p) const {
    Vector3f sum;
    for (const Force* f : *forces) {
        Vector3f d = f->position - p.position;
        float s = dot(d, d);
        float r = std::sqrt(s);
        // d is deliberately left unnormalised: the pull grows with distance
        // until the attenuation takes over.
        sum +=
            d * (f->strength / (s * f->quadraticAttenuation + (f->linearAttenuation * r + 1.0f)));
    }
    return sum;
}

void ParticleSystem::updateParticles() {
    float dt = getClock()->getDeltaSeconds();
    float damping = std::pow(1.0f - drag, dt);
    for (auto it = particles->begin(); it != particles->end();) {
        Particle* p = *it;
        p->life -= dt;
        if (p->life < 0.0f) {
            ParticlePool::release(p);
            it = particles->erase(it);
            continue;
        }
        Vector3f acceleration =
            (wind * p->windFactor + gravity * p->gravityFactor) + forceOn(*p) * p->forceFactor;
        // Semi-implicit Euler: the new velocity moves the particle.
        p->velocity += acceleration * dt;
        p->velocity *= damping * p->dragFactor;
        p->position += p->velocity * dt;
        ++it;
    }
}

} // namespace Physics
} // namespace Quillmere
