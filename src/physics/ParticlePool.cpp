#include "physics/ParticlePool.h"

#include "physics/Particle.h"

namespace Quillmere {
namespace Physics {

// Built during static initialisation, before the game runs, and never
// destroyed: the particles it holds live as long as the process.
ParticlePool* const ParticlePool::pool = new ParticlePool();

Particle* ParticlePool::acquire() {
    if (pool->freeParticles.empty()) {
        pool->allocated += 1;
        return new Particle();
    }
    Particle* particle = pool->freeParticles.front();
    pool->freeParticles.pop_front();
    return particle;
}

void ParticlePool::release(Particle* particle) {
    pool->freeParticles.push_back(particle);
}

std::size_t ParticlePool::freeCount() {
    return pool->freeParticles.size();
}

std::size_t ParticlePool::allocatedCount() {
    return pool->allocated;
}

} // namespace Physics
} // namespace Quillmere
