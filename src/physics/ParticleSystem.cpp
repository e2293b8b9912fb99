#include "physics/ParticleSystem.h"

#include "assets/Texture2DManager.h"
#include "core/IClock.h"
#include "physics/Force.h"
#include "physics/Particle.h"
#include "physics/ParticleEmitter.h"
#include "physics/ParticlePool.h"

#include <SDL_opengl.h>

#include <cmath>

namespace Quillmere {
namespace Physics {

ParticleSystem::ParticleSystem()
    : particles(new std::list<Particle*>()), forces(new std::list<Force*>()),
      emitters(new std::list<ParticleEmitter*>()), drag(0.3f), textureMissing(false) {}

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

void ParticleSystem::draw() {
    getClock()->tick();
    update();

    // A picture that failed once is not asked for again: the cache would try
    // the file and report it anew every frame.
    Texture2D* texture = nullptr;
    if (!textureMissing) {
        texture = Texture2DManager::getInstance()->load("res/Particle.tga");
        textureMissing = texture == nullptr;
    }
    // Without the picture the squares are drawn plain, not with whatever
    // texture happens to be bound.
    bool plain = texture == nullptr && glIsEnabled(GL_TEXTURE_2D);
    if (texture != nullptr) {
        texture->bind();
    } else if (plain) {
        glDisable(GL_TEXTURE_2D);
    }

    glDisable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    // Particles hide behind the scene but not behind each other.
    glDepthMask(GL_FALSE);

    for (const Particle* p : *particles) {
        float x = p->position.x;
        float y = p->position.y;
        float z = p->position.z;
        glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(x + 0.5f, y + 0.5f, z);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(x - 0.5f, y + 0.5f, z);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(x + 0.5f, y - 0.5f, z);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(x - 0.5f, y - 0.5f, z);
        glEnd();
    }

    glDepthMask(GL_TRUE);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    if (plain) {
        glEnable(GL_TEXTURE_2D);
    }
}

} // namespace Physics
} // namespace Quillmere
