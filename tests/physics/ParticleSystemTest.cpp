#include "combat/Projectile.h"
#include "physics/Force.h"
#include "physics/ParticleTestSupport.h"

#include <algorithm>
#include <cmath>
#include <set>

using Quillmere::Vector3f;
using Quillmere::Physics::Force;

namespace {

// A particle put straight into the live list, with every factor 1.
Quillmere::Physics::Particle* addParticle(Quillmere::Physics::ParticleSystem* system,
                                          Vector3f velocity, float life = 100.0f) {
    auto* p = Quillmere::Physics::ParticlePool::acquire();
    p->position = Vector3f();
    p->velocity = velocity;
    p->life = life;
    p->windFactor = p->gravityFactor = p->forceFactor = p->dragFactor = 1.0f;
    system->getParticles().push_back(p);
    return p;
}

} // namespace

TEST_F(ParticleTest, GravityForATenthOfASecond) {
    system->setGravity(Vector3f(0.0f, -90.8f, 0.0f));
    Particle* p = addParticle(system, Vector3f());
    step(0.1f);
    // -9.08 gained, then 0.7^0.1 of it kept.
    EXPECT_NEAR(p->velocity.y, -8.7620f, 1e-3f);
    EXPECT_EQ(p->velocity.x, 0.0f);
    EXPECT_EQ(p->velocity.z, 0.0f);
    // The new velocity moves the particle, not the old one.
    EXPECT_FLOAT_EQ(p->position.y, 0.1f * p->velocity.y);
    EXPECT_FLOAT_EQ(p->life, 99.9f);
}

TEST_F(ParticleTest, DragIsAFractionLostPerClockSecond) {
    Particle* p = addParticle(system, Vector3f(10.0f, 0.0f, 0.0f));
    step(1.0f);
    EXPECT_FLOAT_EQ(p->velocity.x, 7.0f);
    EXPECT_FLOAT_EQ(p->position.x, 7.0f);
    step(2.0f);
    EXPECT_FLOAT_EQ(p->velocity.x, 3.43f);
    p->dragFactor = 0.5f;
    step(0.0f); // no time, yet the factor still applies each update
    EXPECT_FLOAT_EQ(p->velocity.x, 1.715f);
    EXPECT_FLOAT_EQ(p->position.x, 7.0f + 6.86f);
}

TEST_F(ParticleTest, WindAndGravityScaleByTheParticlesFactors) {
    system->setDrag(0.0f);
    system->setWind(Vector3f(1.0f, 0.0f, 0.0f));
    system->setGravity(Vector3f(0.0f, -1.0f, 0.0f));
    Particle* p = addParticle(system, Vector3f(0.0f, 0.0f, 4.0f));
    p->windFactor = 2.0f;
    p->gravityFactor = 3.0f;
    step(0.5f);
    EXPECT_FLOAT_EQ(p->velocity.x, 1.0f);
    EXPECT_FLOAT_EQ(p->velocity.y, -1.5f);
    EXPECT_FLOAT_EQ(p->velocity.z, 4.0f);
    EXPECT_FLOAT_EQ(p->position.x, 0.5f);
    EXPECT_FLOAT_EQ(p->position.y, -0.75f);
    EXPECT_FLOAT_EQ(p->position.z, 2.0f);
}

TEST_F(ParticleTest, ForcesPullByTheirAttenuationLaw) {
    system->setDrag(0.0f);
    Force linear;
    linear.position = Vector3f(3.0f, 4.0f, 0.0f);
    linear.strength = 12.0f;
    linear.linearAttenuation = 1.0f; // 12 / (5 + 1) = 2 per unit of distance
    Force quadratic;
    quadratic.position = Vector3f(0.0f, 0.0f, -2.0f);
    quadratic.strength = 10.0f;
    quadratic.quadraticAttenuation = 1.0f; // 10 / (4 + 1) = 2
    system->getForces().push_back(&linear);
    system->getForces().push_back(&quadratic);

    Particle* p = addParticle(system, Vector3f());
    p->forceFactor = 0.5f;
    step(1.0f);
    // (3, 4, 0) * 2 + (0, 0, -2) * 2, halved by the factor.
    EXPECT_FLOAT_EQ(p->velocity.x, 3.0f);
    EXPECT_FLOAT_EQ(p->velocity.y, 4.0f);
    EXPECT_FLOAT_EQ(p->velocity.z, -2.0f);

    // A force sitting on the particle adds nothing and divides by no zero.
    Force onTop;
    onTop.position = p->position;
    onTop.strength = 50.0f;
    system->getForces().clear();
    system->getForces().push_back(&onTop);
    Vector3f before = p->velocity;
    step(1.0f);
    EXPECT_FLOAT_EQ(p->velocity.x, before.x);
    EXPECT_FLOAT_EQ(p->velocity.y, before.y);
    system->getForces().clear();
}

TEST_F(ParticleTest, NewParticlesMoveInTheUpdateThatEmitsThem) {
    system->setDrag(0.0f);
    ParticleEmitter* e = addEmitter();
    e->accumulator = 1.0f;
    e->burstsPerSecond = 0.0f;
    e->directionX.value = 1.0f;
    e->speed = Quillmere::Physics::RandomValue(10.0f, 0.0f, 0);
    e->life = Quillmere::Physics::RandomValue(3.0f, 0.0f, 0);
    step(0.5f);
    ASSERT_EQ(alive(), 1u);
    const Particle* p = system->getParticles().front();
    EXPECT_FLOAT_EQ(p->position.x, 5.0f);
    EXPECT_FLOAT_EQ(p->life, 2.5f);
}

TEST_F(ParticleTest, AParticleDiesOnlyBelowZeroLife) {
    Particle* p = addParticle(system, Vector3f(1.0f, 0.0f, 0.0f), 0.25f);
    size_t waiting = ParticlePool::freeCount();
    step(0.25f);
    ASSERT_EQ(alive(), 1u);
    EXPECT_EQ(p->life, 0.0f);
    EXPECT_GT(p->position.x, 0.0f) << "still moved";
    step(0.0f);
    EXPECT_EQ(alive(), 1u) << "no time passed";
    step(0.01f);
    EXPECT_EQ(alive(), 0u);
    EXPECT_EQ(ParticlePool::freeCount(), waiting + 1);
}

TEST_F(ParticleTest, PoolHandsOutTheOldestReleasedFirst) {
    drainPool();
    size_t allocated = ParticlePool::allocatedCount();
    Particle* a = ParticlePool::acquire();
    Particle* b = ParticlePool::acquire();
    EXPECT_EQ(ParticlePool::allocatedCount(), allocated + 2);
    ParticlePool::release(a);
    ParticlePool::release(b);
    EXPECT_EQ(ParticlePool::acquire(), a);
    EXPECT_EQ(ParticlePool::acquire(), b);
    EXPECT_EQ(ParticlePool::allocatedCount(), allocated + 2);
    drained.push_back(a);
    drained.push_back(b);
}

TEST_F(ParticleTest, DeadParticlesRetireInListOrder) {
    drainPool();
    Particle* first = addParticle(system, Vector3f(), 0.5f);
    Particle* keeps = addParticle(system, Vector3f(), 5.0f);
    Particle* second = addParticle(system, Vector3f(), 0.1f);
    step(1.0f);
    ASSERT_EQ(alive(), 1u);
    EXPECT_EQ(system->getParticles().front(), keeps);
    EXPECT_EQ(ParticlePool::acquire(), first);
    EXPECT_EQ(ParticlePool::acquire(), second);
    drained.push_back(first);
    drained.push_back(second);
}

TEST_F(ParticleTest, AReleasedParticleIsReusedByTheNextUpdate) {
    drainPool();
    Particle* old = addParticle(system, Vector3f(), 0.1f);
    ParticleEmitter* e = addEmitter();
    e->active = false;
    step(0.2f); // the particle dies and goes to the pool
    ASSERT_EQ(alive(), 0u);
    e->active = true;
    e->accumulator = 1.0f;
    size_t allocated = ParticlePool::allocatedCount();
    step(0.0f);
    ASSERT_EQ(alive(), 1u);
    EXPECT_EQ(system->getParticles().front(), old);
    EXPECT_EQ(ParticlePool::allocatedCount(), allocated);
    EXPECT_GT(old->life, 400.0f) << "every field is set anew";
}

TEST_F(ParticleTest, ParticlesEverAllocatedEqualTheMostAliveAtOnce) {
    drainPool();
    size_t allocatedBefore = ParticlePool::allocatedCount();
    system->setGravity(Vector3f(0.0f, -90.8f, 0.0f));
    // Hits at 0, 3 and 12 clock seconds, as a projectile configures them.
    const float hits[] = {0.0f, 3.0f, 12.0f};
    size_t most = 0;
    int nextHit = 0;
    const float dt = 1.0f / 30.0f;
    for (int frame = 0; frame < 30 * 40; ++frame) {
        float t = frame * dt;
        if (nextHit < 3 && t >= hits[nextHit]) {
            Projectile::addSpray(system, Vector2());
            nextHit += 1;
        }
        // The list peaks inside an update: the emitters add their bursts
        // before the dead of this update are retired.
        std::set<Particle*> before(system->getParticles().begin(), system->getParticles().end());
        step(dt);
        size_t added = 0;
        for (Particle* p : system->getParticles()) {
            added += before.count(p) == 0 ? 1 : 0;
        }
        most = std::max(most, before.size() + added);
    }
    EXPECT_TRUE(system->getEmitters().empty());
    EXPECT_EQ(alive(), 0u) << "every particle lives at most 15 clock seconds";
    EXPECT_GE(most, 300u);
    EXPECT_LT(most, 600u) << "the lives overlap only in part";
    EXPECT_EQ(ParticlePool::allocatedCount() - allocatedBefore, most);
    EXPECT_EQ(ParticlePool::freeCount(), most);
}
