// The world update of a frame as the frame loop runs it, at the frame rates
// players have: blows that land on a figure in touch, shots that hit, and a
// long frame that moves the world by no more than a quarter of a second.
// Everything goes through the real collision pass and object list.

#include "support/FakeClock.h"
#include "support/GameDirGLTest.h"

#include "app/Globals.h"
#include "app/MainLoop.h"
#include "combat/PistolProjectile.h"
#include "combat/ShotgunProjectile.h"
#include "physics/ParticleSystem.h"
#include "world/Character.h"
#include "world/Zombie.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

class WorldStepGLTest : public GameDirGLTest {
protected:
    void SetUp() override {
        GameDirGLTest::SetUp();
        points = 0;
        freshField();
    }
    void TearDown() override {
        // The hits leave their spray in the one particle system.
        Quillmere::Physics::ParticleSystem::getInstance()->clear();
        player = nullptr;
        points = 0;
        GameDirGLTest::TearDown();
    }

    // An empty field but for a figure at the origin, facing -z, where the
    // zombies come from.
    static void freshField() {
        objects()->clear();
        player = new Character(Vector2(0.0f, 0.0f));
        objects()->add(player);
    }

    static Zombie* addZombie(float z) {
        auto* zombie = new Zombie(Vector2(0.0f, z));
        objects()->add(zombie);
        return zombie;
    }

    ScopedFakeClock clock;
};

const float FRAME_RATES[] = {10.0f, 30.0f, 60.0f, 144.0f};

} // namespace

TEST_F(WorldStepGLTest, AFigureInTouchIsStruckEverySevenTenthsAndAFrameAtAnyFrameRate) {
    struct Case {
        const char* what;
        float backAway; // how far the figure steps back once touched
        bool hit;
    };
    const Case cases[] = {
        {"standing", 0.0f, true},
        {"stepping back 5", 5.0f, true},
        {"walking away at full speed", 1000.0f, false},
    };
    for (const Case& c : cases) {
        for (float rate : FRAME_RATES) {
            SCOPED_TRACE(std::string(c.what) + " at " + std::to_string(rate) + " frames a second");
            const float frame = 1.0f / rate;
            const float step = frame / worldSteps(frame);
            freshField();
            Zombie* zombie = addZombie(-75.0f);
            double t = 0.0, touched = -1.0;
            std::vector<double> blows;
            while (t < 6.0 && !player->isMarkedForDestruction()) {
                if (touched >= 0.0 && player->getPosition().y < c.backAway) {
                    player->moveBackward();
                }
                const float health = player->getHealth();
                updateWorld(frame);
                t += frame;
                if (touched < 0.0 && zombie->isAttacking()) {
                    touched = t;
                }
                if (player->getHealth() != health) {
                    ASSERT_FLOAT_EQ(health - player->getHealth(), 6.0f) << "at " << t;
                    blows.push_back(t);
                }
                if (!c.hit && touched >= 0.0 && t > touched + 1.0) {
                    break;
                }
            }
            ASSERT_GE(touched, 0.0) << "the zombie never reached the figure";
            if (!c.hit) {
                EXPECT_TRUE(blows.empty()) << "struck at " << blows.front() - touched;
            } else {
                ASSERT_GE(blows.size(), 6u) << "in " << t - touched << " s of touch";
                EXPECT_LE(blows[0] - touched, 0.75);
                // One that stepped back is walked up to again first.
                for (size_t i = 1; c.backAway == 0.0f && i < blows.size(); ++i) {
                    const double gap = blows[i] - blows[i - 1];
                    EXPECT_GE(gap, 0.7 - 1e-4) << "blow " << i;
                    // The timer runs out within a step, the blow lands in
                    // the next, and the next touch starts the next attack.
                    EXPECT_LE(gap, 0.7 + 2 * frame + step + 1e-4) << "blow " << i;
                }
            }
        }
    }
}

TEST_F(WorldStepGLTest, AShotHitsAWalkingZombieHoweverSlowTheFrames) {
    struct Case {
        bool shotgun;
        float distance;
        float rate;
    };
    const Case cases[] = {
        {false, 300.0f, 5.0f},  {false, 300.0f, 10.0f}, {false, 300.0f, 20.0f},
        {false, 300.0f, 30.0f}, {false, 300.0f, 60.0f}, {false, 300.0f, 144.0f},
        {true, 90.0f, 5.0f},    {true, 90.0f, 10.0f},   {true, 90.0f, 60.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.shotgun ? "shotgun" : "pistol") + " at " +
                     std::to_string(c.rate) + " frames a second");
        const float frame = 1.0f / c.rate;
        freshField();
        if (c.shotgun) {
            player->nextWeapon();
        }
        // The gun is ready once its first pause has run out.
        for (double t = 0.0; t < 0.8; t += frame) {
            updateWorld(frame);
        }
        Zombie* zombie = addZombie(-c.distance);
        player->fire();
        ASSERT_EQ(count<PistolProjectile>() + count<ShotgunProjectile>(), c.shotgun ? 5 : 1);
        // Looked at after every frame: a zombie the blast kills is deleted
        // 0.9 s later.
        bool hit = false;
        for (double t = 0.0; t < 1.2 && !hit; t += frame) {
            updateWorld(frame);
            hit = zombie->getHealth() < 100.0f;
        }
        EXPECT_TRUE(hit) << "the zombie was not hit";
    }
}

TEST_F(WorldStepGLTest, ALongFrameMovesTheWorldAQuarterSecondInStepsOfAThirtieth) {
    struct Case {
        float frameTime;
        float dt;
        int steps;
    };
    const Case cases[] = {
        {10.0f, 0.25f, 8},   {0.25f, 0.25f, 8},   {0.1f, 0.1f, 3}, {1.0f / 30.0f, 1.0f / 30.0f, 1},
        {0.034f, 0.034f, 2}, {0.005f, 0.005f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("a frame of " + std::to_string(c.frameTime) + " s");
        player->setPosition(Vector2(0.0f, 0.0f));
        player->moveForward();
        WorldAdvance advance = updateWorld(c.frameTime);
        EXPECT_FLOAT_EQ(advance.dt, c.dt);
        EXPECT_EQ(advance.steps, c.steps);
        // The frame's request carries through every step.
        EXPECT_NEAR(player->getPosition().y, -Character::SPEED * c.dt, 1e-3f);
        EXPECT_EQ(player->getMovement(), 0);
    }
}
