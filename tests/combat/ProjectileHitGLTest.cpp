// A shot meeting zombies: whom it hurts, what passes through, and the spray.

#include "support/GameDirGLTest.h"
#include "support/ParticleReset.h"
#include "support/RandomDraws.h"

#include "app/Globals.h"
#include "combat/PistolProjectile.h"
#include "combat/ShotgunProjectile.h"
#include "physics/ParticleEmitter.h"
#include "physics/ParticleSystem.h"
#include "world/Zombie.h"

#include <vector>

namespace {

using Quillmere::Physics::ParticleEmitter;
using Quillmere::Physics::ParticleSystem;

// A fresh particle system, with no gravity yet, for every test.
class ProjectileHitGLTest : public GameDirGLTest {
protected:
    void SetUp() override {
        GameDirGLTest::SetUp();
        resetParticleSystem();
        points = 0;
        player = nullptr;
        seedForNextDraw(4); // deaths leave no pick-up
    }
    void TearDown() override {
        resetParticleSystem();
        points = 0;
        GameDirGLTest::TearDown();
    }
    static ParticleSystem* particles() { return ParticleSystem::getInstance(); }
};

} // namespace

TEST_F(ProjectileHitGLTest, AShotHurtsOnlyTheFirstLivingZombieItTouches) {
    struct Case {
        const char* what;
        std::vector<float> healthBefore; // one zombie each, in list order
        int pellets;                     // 0: one pistol bullet
        std::vector<float> healthAfter;
        int shotsLeft, sprays, points;
    };
    const Case cases[] = {
        {"a bullet touching two", {100, 100}, 0, {75, 100}, 0, 1, 0},
        {"the first dying: the second is hit", {0, 100}, 0, {0, 75}, 0, 1, 0},
        {"both dying: it flies on", {0, 0}, 0, {0, 0}, 1, 0, 0},
        {"five pellets, 20 each", {100}, 5, {0}, 0, 5, 10},
        {"five pellets: dying after three", {50}, 5, {-10}, 2, 3, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetParticleSystem();
        std::vector<Zombie*> zombies;
        for (float health : c.healthBefore) {
            auto* zombie = new Zombie(Vector2(0.0f, 10.0f * zombies.size()));
            objects()->add(zombie);
            zombie->damage(100.0f - health);
            zombies.push_back(zombie);
        }
        points = 0;
        for (int i = 0; i < (c.pellets == 0 ? 1 : c.pellets); ++i) {
            Vector2 at(3.0f, 5.0f);
            objects()->add(c.pellets == 0 ? static_cast<Projectile*>(new PistolProjectile(at, 0))
                                          : new ShotgunProjectile(at, 0));
        }
        EXPECT_EQ(particles()->getGravity().y, 0.0f) << "gravity before the first hit";

        objects()->update(0.0f);
        for (size_t i = 0; i < zombies.size(); ++i) {
            EXPECT_EQ(zombies[i]->getHealth(), c.healthAfter[i]) << "zombie " << i;
        }
        EXPECT_EQ(count<Projectile>(), c.shotsLeft) << "a hit goes in its own frame";
        EXPECT_EQ(particles()->getEmitters().size(), static_cast<size_t>(c.sprays));
        EXPECT_EQ(particles()->getGravity().y, c.sprays > 0 ? -90.8f : 0.0f);
        EXPECT_EQ(points, c.points);
        objects()->clear();
    }
}

TEST_F(ProjectileHitGLTest, TheSprayStartsWhereTheShotWasWithTheFieldsOfAHit) {
    objects()->add(new Zombie(Vector2(20.0f, -40.0f)));
    objects()->add(new PistolProjectile(Vector2(7.0f, -30.0f), 0.0f));
    objects()->update(0.0f);
    ASSERT_EQ(particles()->getEmitters().size(), 1u);
    const ParticleEmitter& e = *particles()->getEmitters().front();

    // The fields a hit sets.
    EXPECT_EQ(e.system, particles());
    EXPECT_FALSE(e.endless);
    struct Field {
        const char* name;
        float value, expected;
    };
    const Field fields[] = {
        {"position x", e.position.x, 7.0f},
        {"position y", e.position.y, 0.0f},
        {"position z", e.position.z, -30.0f},
        {"accumulator", e.accumulator, 1.0f},
        {"bursts per second", e.burstsPerSecond, 0.25f},
        {"particles per burst", e.particlesPerBurst, 100.0f},
        {"time to live", e.timeToLive, 5.0f},
        {"life", e.life.value, 10.0f},
        {"speed", e.speed.value, 60.0f},
        {"speed variance", e.speed.variance, 0.5f},
        {"direction x variance", e.directionX.variance, 0.5f},
        {"direction y variance", e.directionY.variance, 0.5f},
    };
    for (const Field& f : fields) {
        EXPECT_EQ(f.value, f.expected) << f.name;
    }
}
