// Zombies: steering, the attack and its blow, the death and its pick-up;
// and the grave stones that raise them.

#include "support/Frame.h"
#include "support/GameDirGLTest.h"
#include "support/RandomDraws.h"
#include "support/TestFiles.h"

#include "app/Globals.h"
#include "assets/MD2Model.h"
#include "combat/PistolPowerup.h"
#include "combat/ShotgunPowerup.h"
#include "core/Camera.h"
#include "world/Character.h"
#include "world/SpawnPoint.h"
#include "world/Zombie.h"

#include <SDL_opengl.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Each test starts with no figure and no score, and leaves none behind.
class ZombieGLTest : public GameDirGLTest {
protected:
    void SetUp() override {
        GameDirGLTest::SetUp();
        player = nullptr;
        points = 0;
    }
    void TearDown() override {
        player = nullptr;
        points = 0;
        GameDirGLTest::TearDown();
    }

    static Zombie* addZombie(const Vector2& at) {
        auto* zombie = new Zombie(at);
        objects()->add(zombie);
        return zombie;
    }

    static std::string animation(Object* object) {
        return object->getModel()->getAnimation().getCurrentAnimationName();
    }
};

using SpawnPointGLTest = ZombieGLTest;

} // namespace

TEST_F(ZombieGLTest, SteersStraightAtTheFigureAndStandsOnItsVeryPoint) {
    struct Case {
        const char* what;
        Vector2 figure, zombie;
        bool running;
        float heading; // after the update; the zombie starts at 33
        Vector2 velocity;
        const char* animation;
    };
    const float diagonal = 30.0f / std::sqrt(2.0f);
    const Case cases[] = {
        {"100 units down -z", {0, -30}, {0, -130}, false, 180.0f, {0, 30}, "crwalk"},
        {"running from +x", {0, -30}, {100, -30}, true, 270.0f, {-60, 0}, "run"},
        {"towards +x and +z", {10, 10}, {-20, -20}, false, 135.0f, {diagonal, diagonal}, "crwalk"},
        {"on the figure's point", {5, 5}, {5, 5}, false, 33.0f, {0, 0}, "crwalk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Character figure(c.figure);
        player = &figure;
        Zombie* zombie = addZombie(c.zombie);
        zombie->setHeading(33.0f);
        // The mood flips after steering, so a zombie runs from the update
        // after the flip.
        seedForNextDraw(c.running ? 42 : 4242);
        zombie->update(0.0f);
        ASSERT_EQ(zombie->isRunning(), c.running);
        zombie->update(0.5f);
        EXPECT_TRUE(std::isfinite(zombie->getHeading()));
        EXPECT_NEAR(zombie->getHeading(), c.heading, 1e-3f);
        EXPECT_NEAR(zombie->getVelocity().x, c.velocity.x, 1e-3f);
        EXPECT_NEAR(zombie->getVelocity().y, c.velocity.y, 1e-3f);
        EXPECT_NEAR(zombie->getPosition().x, c.zombie.x + c.velocity.x * 0.5f, 1e-3f);
        EXPECT_NEAR(zombie->getPosition().y, c.zombie.y + c.velocity.y * 0.5f, 1e-3f);
        EXPECT_EQ(animation(zombie), c.animation);
        objects()->clear();
    }
}

TEST_F(ZombieGLTest, ABlowLandsOneUpdateAfterItsTimerRunsOutAndOnlyWithinReach) {
    struct Case {
        const char* what;
        float distance;
        bool killedWhileAttacking;
        bool hits;
    };
    const Case cases[] = {
        {"touched at 55 and still at 55: hits", 55.0f, false, true},
        {"exactly 70: hits", 70.0f, false, true},
        {"70.5: misses", 70.5f, false, false},
        {"killed while attacking: still hits", 40.0f, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Character figure(Vector2(0.0f, 0.0f));
        player = &figure;
        Zombie* zombie = addZombie(Vector2(0.0f, c.distance));
        zombie->collideWithCharacter(&figure);
        EXPECT_TRUE(zombie->isAttacking());
        EXPECT_FLOAT_EQ(zombie->getAttackTimer(), 0.7f);
        if (c.killedWhileAttacking) {
            zombie->damage(100.0f);
        }
        // 0.7 s run out in three updates of 0.25; the blow falls in the fourth.
        for (int i = 0; i < 3; ++i) {
            zombie->update(0.25f);
            zombie->collideWithCharacter(&figure); // still touching: no restart
            EXPECT_EQ(animation(zombie), c.killedWhileAttacking ? "death" : "crattack");
        }
        EXPECT_NEAR(zombie->getAttackTimer(), -0.05f, 1e-5f);
        EXPECT_EQ(figure.getHealth(), 100.0f);
        zombie->update(0.25f);
        EXPECT_EQ(figure.getHealth(), c.hits ? 94.0f : 100.0f);
        EXPECT_FALSE(zombie->isAttacking());
        EXPECT_EQ(zombie->getAttackTimer(), 0.0f);
        EXPECT_EQ(zombie->getPosition().y, c.distance) << "an attacker stands";
        // Still touching: the next collision pass starts the next attack.
        zombie->collideWithCharacter(&figure);
        EXPECT_TRUE(zombie->isAttacking());
        EXPECT_FLOAT_EQ(zombie->getAttackTimer(), 0.7f);
        objects()->clear();
    }
}

TEST_F(ZombieGLTest, DyingItStandsForAMomentScoresAndLeavesThePickUpItsRollNames) {
    struct Case {
        int r;
        int shotguns, pistols;
    };
    const Case cases[] = {{0, 1, 0}, {1, 0, 1}, {3, 0, 1}, {4, 0, 0}, {5, 1, 0}, {9, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE("r = " + std::to_string(c.r));
        points = 0;
        Zombie* zombie = addZombie(Vector2(12.0f, -34.0f));
        zombie->damage(60.0f);
        EXPECT_FALSE(zombie->isMarkedForDestruction());
        seedForNextDraw(c.r);
        zombie->damage(40.0f); // exactly 0 is used up
        EXPECT_TRUE(zombie->isMarkedForDestruction());
        EXPECT_FALSE(zombie->isMovable());
        EXPECT_EQ(points, 10);
        EXPECT_EQ(count<ShotgunPowerup>(), c.shotguns);
        EXPECT_EQ(count<PistolPowerup>(), c.pistols);
        if (c.shotguns + c.pistols > 0) {
            Object* pickUp = objects()->getObjects().back();
            EXPECT_EQ(pickUp->getPosition().x, 12.0f);
            EXPECT_EQ(pickUp->getPosition().y, -34.0f);
        }
        // Every call counts again.
        zombie->destroy(5.0f);
        EXPECT_EQ(points, 20);

        // Gone in the first list update after 0.9 s of its own updates.
        for (int i = 0; i < 4; ++i) {
            objects()->update(0.25f);
            ASSERT_EQ(count<Zombie>(), 1) << "update " << i;
            EXPECT_EQ(animation(zombie), "death");
            EXPECT_EQ(zombie->getVelocity().x, 0.0f);
        }
        objects()->update(0.25f);
        EXPECT_EQ(count<Zombie>(), 0);
        objects()->clear();
    }
}

TEST_F(SpawnPointGLTest, RaisesAtOnceThenIntervalSecondsAfterLettingGo) {
    auto* stone = new SpawnPoint(Vector2(50.0f, 60.0f), 10.0f);
    objects()->add(stone);
    EXPECT_FALSE(stone->isSolid());
    EXPECT_EQ(stone->getRadius(), 0.0f);

    objects()->update(0.5f);
    ASSERT_EQ(count<Zombie>(), 1);
    auto* first = dynamic_cast<Zombie*>(objects()->getObjects().back());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(stone->getSpawned().front(), first);
    EXPECT_EQ(animation(first), "crwalk") << "not updated in the frame it rose";
    EXPECT_EQ(stone->getSpawnTimer(), 10.0f);

    // With no figure to chase it stands on the stone, and neither pushes.
    for (int i = 0; i < 30; ++i) {
        objects()->update(0.5f);
    }
    EXPECT_EQ(first->getPosition().x, 50.0f);
    EXPECT_EQ(first->getPosition().y, 60.0f);
    EXPECT_EQ(count<Zombie>(), 1);
    EXPECT_EQ(stone->getSpawnTimer(), 10.0f) << "the timer ran while its zombie lived";

    seedForNextDraw(4); // no pick-up
    first->damage(100.0f);
    // The update that lets go counts: 20 updates of 0.5 s make the 10 s.
    for (int i = 1; i < 20; ++i) {
        objects()->update(0.5f);
        EXPECT_TRUE(stone->getSpawned().empty());
    }
    EXPECT_EQ(count<Zombie>(), 0);
    objects()->update(0.5f);
    ASSERT_EQ(count<Zombie>(), 1);
    EXPECT_EQ(stone->getSpawned().size(), 1u);
}

TEST_F(SpawnPointGLTest, TheNewZombieIsDrawnInTheFrameItRose) {
    // From the game's usual place 90 units behind, looking down at 35.
    Camera camera;
    camera.setPosition(Vector2(0.0f, 90.0f));
    auto* stone = new SpawnPoint(Vector2(0.0f, 0.0f), 10.0f);
    objects()->add(stone);
    auto litPixels = [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        useGamePerspective();
        glRotatef(35.0f, 1.0f, 0.0f, 0.0f);
        glTranslatef(0.0f, -120.0f, -90.0f);
        objects()->draw(&camera);
        int n = 0;
        for (unsigned char v : readFrame().rgb) {
            n += v > 0;
        }
        return n;
    };
    int stoneOnly = litPixels();
    objects()->update(0.1f);
    EXPECT_GT(litPixels(), stoneOnly + 1000);
}

TEST_F(ZombieGLTest, AModelThatCannotBeReadDuringPlayIsReportedAndLeftOut) {
    // A game folder whose res/ lacks the zombie and the pick-up.
    namespace fs = std::filesystem;
    std::string dir = makeTestScratchDir("missing-models");
    fs::create_directory(dir + "/res");
    for (const auto& entry : fs::directory_iterator("res")) {
        std::string name = entry.path().filename().string();
        if (name != "zombie.md2" && name != "shotgun.md2") {
            fs::create_symlink(fs::absolute(entry.path()), dir + "/res/" + name);
        }
    }
    Zombie* zombie = addZombie(Vector2(0.0f, 0.0f));
    fs::current_path(dir);
    auto* stone = new SpawnPoint(Vector2(100.0f, 100.0f), 15.0f);
    objects()->add(stone);

    testing::internal::CaptureStderr();
    objects()->update(0.1f);
    seedForNextDraw(0);
    zombie->damage(100.0f);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count<Zombie>(), 1);
    EXPECT_EQ(count<Powerup>(), 0);
    EXPECT_EQ(points, 10);
    EXPECT_EQ(stone->getSpawnTimer(), 15.0f) << "tries again after its interval";
    EXPECT_EQ(err, "Unable to raise a zombie: res/zombie.md2: Couldn't open file\n"
                   "Unable to leave a pick-up: res/shotgun.md2: Couldn't open file\n");
}
