#pragma once

#include <cstddef>
#include <list>

namespace Quillmere {
namespace Physics {

class Particle;

// Dead particles wait here for reuse, so a spray allocates no more particles
// than were ever alive at once. Particles are never freed.
class ParticlePool {
public:
    // The oldest released particle, or a new one when none is free.
    static Particle* acquire();

    // Queues a dead particle for reuse behind the others.
    static void release(Particle* particle);

    // Particles waiting for reuse.
    static std::size_t freeCount();

    // Particles ever created by acquire.
    static std::size_t allocatedCount();

private:
    std::list<Particle*> freeParticles;
    std::size_t allocated = 0;

    static ParticlePool* const pool;
};

} // namespace Physics
} // namespace Quillmere
