#include "physics/ParticleSystem.h"

#include "assets/IndexPieces.h"
#include "assets/Texture2DManager.h"
#include "core/IClock.h"
#include "physics/Force.h"
#include "physics/Particle.h"
#include "physics/ParticleEmitter.h"
#include "physics/ParticlePool.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <vector>

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

void ParticleSystem::clear() {
    for (Particle* p : *particles) {
        ParticlePool::release(p);
    }
    particles->clear();
    for (ParticleEmitter* emitter : *emitters) {
        delete emitter;
    }
    emitters->clear();
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

    Texture2D* texture = Texture2DManager::getInstance()->load("res/Particle.tga");
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

    // Drawn from arrays: each square is the two triangles its strip would
    // make, in the same order, so the picture is the same while the driver
    // sees a few primitives instead of one per particle. Its four corners
    // are given once and the triangles by index, in pieces the driver
    // shades in one pass each.
    if (!particles->empty()) {
        static std::vector<GLfloat> corners;
        corners.clear();
        corners.reserve(particles->size() * 4 * 5);
        for (const Particle* p : *particles) {
            const float x = p->position.x;
            const float y = p->position.y;
            const float z = p->position.z;
            // s, t, x, y, z for the strip's corners 0 1 2 3.
            const GLfloat strip[4 * 5] = {
                1.0f, 1.0f, x + 0.5f, y + 0.5f, z, 0.0f, 1.0f, x - 0.5f, y + 0.5f, z,
                1.0f, 0.0f, x + 0.5f, y - 0.5f, z, 0.0f, 0.0f, x - 0.5f, y - 0.5f, z};
            corners.insert(corners.end(), strip, strip + 4 * 5);
        }
        // Corners 0 1 2, then 2 1 3, of each square of a piece.
        const size_t perPiece = IndexPieces::MAX_INDICES / 6;
        static std::vector<GLushort> pattern;
        if (pattern.empty()) {
            for (size_t k = 0; k < perPiece; ++k) {
                for (size_t corner : {0, 1, 2, 2, 1, 3}) {
                    pattern.push_back(static_cast<GLushort>(4 * k + corner));
                }
            }
        }
        glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        for (size_t first = 0; first < particles->size(); first += perPiece) {
            const size_t count = std::min(perPiece, particles->size() - first);
            glInterleavedArrays(GL_T2F_V3F, 0, corners.data() + 4 * 5 * first);
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(6 * count), GL_UNSIGNED_SHORT,
                           pattern.data());
        }
        glPopClientAttrib();
        // The last corner's coordinates stay current, as they would after
        // drawing it by hand.
        glTexCoord2f(0.0f, 0.0f);
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
