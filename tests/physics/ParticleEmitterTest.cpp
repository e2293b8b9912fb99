#include "physics/ParticleTestSupport.h"

#include <cmath>

using Quillmere::Vector3f;
using Quillmere::Physics::RandomValue;

TEST_F(ParticleTest, EmitDrawsOffsetsThenDirectionsThenSpeedThenLife) {
    ParticleEmitter* e = addEmitter();
    // Every spread differs, so a swapped pair of draws shows.
    e->position = Vector3f(10.0f, 20.0f, 30.0f);
    e->positionVariance = Vector3f(1.0f, 2.0f, 3.0f);
    e->directionX = RandomValue(0.5f, 4.0f, RandomValue::Symmetric);
    e->directionY = RandomValue(-1.0f, 5.0f, RandomValue::Positive);
    e->directionZ = RandomValue(2.0f, 6.0f, RandomValue::Negative);
    e->speed = RandomValue(10.0f, 0.7f, RandomValue::Symmetric);
    e->life = RandomValue(8.0f, 0.9f, RandomValue::Symmetric);
    e->windFactor = 2.0f;
    e->gravityFactor = 3.0f;
    e->forceFactor = 4.0f;
    e->dragFactor = 0.5f;

    Random::seed(99);
    float u[8];
    for (float& x : u) {
        x = static_cast<float>(Random::next()) / 32767.0f;
    }
    Random::seed(99);
    e->emit();
    ASSERT_EQ(alive(), 1u);
    const Particle* p = system->getParticles().back();
    EXPECT_FLOAT_EQ(p->position.x, 10.0f + 1.0f * (2 * u[0] - 1));
    EXPECT_FLOAT_EQ(p->position.y, 20.0f + 2.0f * (2 * u[1] - 1));
    EXPECT_FLOAT_EQ(p->position.z, 30.0f + 3.0f * (2 * u[2] - 1));
    float speed = std::max(0.0f, 10.0f + 7.0f * (2 * u[6] - 1));
    EXPECT_FLOAT_EQ(p->velocity.x, (0.5f + 4.0f * (2 * u[3] - 1)) * speed);
    EXPECT_FLOAT_EQ(p->velocity.y, (-1.0f + 5.0f * u[4]) * speed);
    EXPECT_FLOAT_EQ(p->velocity.z, (2.0f - 6.0f * u[5]) * speed);
    EXPECT_FLOAT_EQ(p->life, std::max(0.0f, 8.0f + 7.2f * (2 * u[7] - 1)));
    EXPECT_EQ(p->windFactor, 2.0f);
    EXPECT_EQ(p->gravityFactor, 3.0f);
    EXPECT_EQ(p->forceFactor, 4.0f);
    EXPECT_EQ(p->dragFactor, 0.5f);
}

TEST_F(ParticleTest, WithoutPositionVarianceEveryParticleStartsAtTheEmitter) {
    ParticleEmitter* e = addEmitter();
    e->position = Vector3f(-3.25f, 0.0f, 117.5f);
    e->accumulator = 1.0f;
    e->particlesPerBurst = 50.0f;
    step(0.0f);
    ASSERT_EQ(alive(), 50u);
    for (const Particle* p : system->getParticles()) {
        EXPECT_EQ(p->position.x, -3.25f);
        EXPECT_EQ(p->position.y, 0.0f);
        EXPECT_EQ(p->position.z, 117.5f);
    }
}

TEST_F(ParticleTest, SprayBurstsOnceThenWaitsForTheAccumulator) {
    // A projectile's spray: a burst at once, the next after 4 clock seconds.
    ParticleEmitter* e = addEmitter();
    e->accumulator = 1.0f;
    e->burstsPerSecond = 0.25f;
    e->particlesPerBurst = 100.0f;
    step(0.5f); // accumulator 1.125
    EXPECT_EQ(alive(), 100u);
    EXPECT_EQ(e->accumulator, 0.125f);
    for (int i = 0; i < 6; ++i) {
        step(0.5f);
        EXPECT_EQ(alive(), 100u) << "update " << i + 2;
    }
    EXPECT_EQ(e->accumulator, 0.875f);
    step(0.5f); // reaches exactly 1
    EXPECT_EQ(alive(), 200u);
    EXPECT_EQ(e->accumulator, 0.0f);
}

TEST_F(ParticleTest, AWholeNumberOfBurstsLeavesTheFraction) {
    ParticleEmitter* e = addEmitter();
    e->accumulator = 3.0f;
    e->burstsPerSecond = 4.0f;
    e->particlesPerBurst = 2.0f;
    step(0.1f); // 3.4
    EXPECT_EQ(alive(), 6u);
    EXPECT_NEAR(e->accumulator, 0.4f, 1e-5f);

    e->accumulator = 0.9f;
    step(0.0f);
    EXPECT_EQ(alive(), 6u) << "a partial burst waits";
}

TEST_F(ParticleTest, AFractionalBurstSizeRoundsUp) {
    ParticleEmitter* e = addEmitter();
    e->burstsPerSecond = 0.0f;
    const float sizes[] = {0.0f, 0.5f, 1.0f, 2.5f, 3.0f, 3.01f};
    const size_t expected[] = {0, 1, 1, 3, 3, 4};
    size_t before = 0;
    for (int i = 0; i < 6; ++i) {
        e->particlesPerBurst = sizes[i];
        e->accumulator = 1.0f;
        step(0.0f);
        EXPECT_EQ(alive() - before, expected[i]) << "particlesPerBurst " << sizes[i];
        before = alive();
    }
}

TEST_F(ParticleTest, ALimitedBudgetStopsEmissionButNotTheEmitter) {
    ParticleEmitter* e = addEmitter();
    e->accumulator = 1.0f;
    e->burstsPerSecond = 1.0f;
    e->particlesPerBurst = 100.0f;
    e->limitedParticles = true;
    e->particlesLeft = 5.0f;
    e->endless = false;
    e->timeToLive = 3.0f;
    step(0.5f);
    EXPECT_EQ(alive(), 5u);
    EXPECT_EQ(e->particlesLeft, 0.0f);
    step(0.5f); // a second burst comes due, with nothing left to give
    EXPECT_EQ(alive(), 5u);
    EXPECT_EQ(e->timeToLive, 2.0f);
    step(2.0f); // exactly out of time: still alive
    EXPECT_EQ(system->getEmitters().size(), 1u);
    step(0.25f);
    EXPECT_TRUE(system->getEmitters().empty());
    EXPECT_EQ(alive(), 5u);
}

TEST_F(ParticleTest, AnInactiveEmitterStillExpires) {
    ParticleEmitter* e = addEmitter();
    e->active = false;
    e->accumulator = 5.0f;
    e->endless = false;
    e->timeToLive = 1.0f;
    for (int i = 0; i < 4; ++i) {
        step(0.25f);
    }
    // 1.0 - 4 * 0.25 = 0: not yet below zero.
    ASSERT_EQ(system->getEmitters().size(), 1u);
    EXPECT_EQ(e->accumulator, 5.0f) << "an inactive emitter gathers nothing";
    step(0.25f);
    EXPECT_TRUE(system->getEmitters().empty());
    EXPECT_EQ(alive(), 0u);
}

TEST_F(ParticleTest, AnExpiringEmitterEmitsNothingInItsLastUpdate) {
    ParticleEmitter* e = addEmitter();
    e->accumulator = 1.0f;
    e->endless = false;
    e->timeToLive = 0.05f;
    clock.clock.delta = 0.1f;
    EXPECT_FALSE(e->update());
    EXPECT_EQ(alive(), 0u);
    EXPECT_EQ(e->accumulator, 1.0f);
}

TEST_F(ParticleTest, AnEndlessEmitterIgnoresItsTimeToLive) {
    ParticleEmitter* e = addEmitter();
    e->active = false;
    e->timeToLive = 0.0f;
    for (int i = 0; i < 10; ++i) {
        step(100.0f);
    }
    EXPECT_EQ(system->getEmitters().size(), 1u);
    EXPECT_EQ(e->timeToLive, 0.0f);
}
