// The end of a round and the start of the next, as the frame loop plays them.

#include "core/Heading.h"
#include "support/Frame.h"
#include "support/GameDirGLTest.h"
#include "support/TestFiles.h"

#include "app/BestScore.h"
#include "app/Globals.h"
#include "app/MainLoop.h"
#include "app/Round.h"
#include "app/Scene.h"
#include "app/StartUp.h"
#include "assets/OBJModel.h"
#include "combat/Projectile.h"
#include "combat/Weapon.h"
#include "core/Camera.h"
#include "core/ClockHighDef.h"
#include "physics/ParticleSystem.h"
#include "text_sound/Font.h"
#include "world/Character.h"
#include "world/Zombie.h"

#include <SDL.h>

#include <cmath>
#include <map>
#include <string>
#include <typeinfo>

namespace {

class RoundGLTest : public GameDirGLTest {
protected:
    void SetUp() override {
        GameDirGLTest::SetUp();
        // The best score is opened once a process: these tests share a folder.
        static const std::string data = makeScratchDir("round_data");
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        ASSERT_EQ(bestScore().getPath().rfind(data, 0), 0u)
            << "the best score was opened before this test chose its folder";
        if (Quillmere::getClock() == nullptr) {
            Quillmere::setClock(new Quillmere::ClockHighDef());
        }
        font.init("res/arialBlack.ttf", 20);
        setUpFixedOpenGLState();
        // The field itself plays no part here.
        grassPlane = fence = &noField;
        createScene();
        points = 0;
        roundNumber = 1;
    }
    void TearDown() override {
        GameDirGLTest::TearDown();
        player = nullptr;
        delete camera;
        camera = nullptr;
        grassPlane = fence = nullptr;
    }

    OBJModel noField;

    static void pressEnter() {
        SDL_Event enter{};
        enter.type = SDL_KEYDOWN;
        enter.key.keysym.sym = SDLK_RETURN;
        ASSERT_EQ(SDL_PushEvent(&enter), 0);
    }

    static std::map<std::string, int> census() {
        std::map<std::string, int> counts;
        for (Object* object : objects()->getObjects()) {
            counts[typeid(*object).name()] += 1;
        }
        return counts;
    }
};

} // namespace

TEST_F(RoundGLTest, SeventeenBlowsEndTheRoundTheWorldStandsStillEnterPlaysAgain) {
    playFrame(0.01f);
    const auto fresh = census();
    Character* first = player;
    for (int blow = 0; blow < 16; ++blow) {
        first->damage(6.0f);
    }
    points = 30;
    playFrame(0.01f);
    EXPECT_FALSE(roundOver) << "4 health left";
    first->nextWeapon();
    first->damage(6.0f);
    playFrame(0.01f);
    ASSERT_TRUE(roundOver);
    EXPECT_EQ(bestScore().get(), 30);

    // Standing still: no update, so the figure is neither moved nor deleted,
    // and the frame shows what it showed when the round ended.
    const Frame ended = readFrame();
    const Vector2 where = first->getPosition();
    for (int i = 0; i < 3; ++i) {
        playFrame(0.5f);
    }
    EXPECT_EQ(player, first);
    EXPECT_EQ(objects()->getObjects().front(), first);
    EXPECT_EQ(first->getPosition().x, where.x);
    drawRoundOver();
    const Frame still = readFrame();
    still.save("round_over");
    EXPECT_TRUE(still.rgb == ended.rgb) << "the field behind the message changed";

    pressEnter();
    playFrame(0.01f);
    ASSERT_FALSE(roundOver);
    EXPECT_EQ(roundNumber, 2);
    EXPECT_EQ(points, 0);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->getHealth(), 100.0f);
    EXPECT_EQ(player->getWeaponName(), "Pistol");
    EXPECT_EQ(player->getRounds(), 12);
    EXPECT_EQ(player->getClips(), 3);
    EXPECT_EQ(census(), fresh) << "the old round's objects are gone, the new scene is whole";
    EXPECT_FLOAT_EQ(camera->getPosition().y, 60.0f)
        << "the new round's first frame is seen from behind";
    EXPECT_EQ(BestScore(bestScore().getPath()).load(), 30);
}

TEST_F(RoundGLTest, ZombiesFinishASurvivorWhoWalksIntoThemThreeRoundsInARow) {
    // A survivor who walks into them, here at 10 frames a second, is hit
    // round after round.
    playFrame(0.1f);
    const auto fresh = census();
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(roundNumber, round);
        float health = player->getHealth();
        for (int frame = 0; frame < 3000 && !roundOver; ++frame) {
            Zombie* nearest = nullptr;
            float best = 1e9f;
            for (Object* object : objects()->getObjects()) {
                auto* z = dynamic_cast<Zombie*>(object);
                Vector2 d = object->getPosition() - player->getPosition();
                if (z != nullptr && !z->isMarkedForDestruction() && d.length() < best) {
                    best = d.length();
                    nearest = z;
                }
            }
            if (nearest != nullptr) {
                Vector2 d = nearest->getPosition() - player->getPosition();
                player->setHeading(headingTowards(d));
                player->moveForward();
            }
            playFrame(0.1f);
            float lost = health - player->getHealth();
            EXPECT_GE(lost, 0.0f);
            EXPECT_NEAR(lost / 6.0f, std::round(lost / 6.0f), 1e-4f) << "blows of 6 only";
            health = player->getHealth();
        }
        ASSERT_TRUE(roundOver) << "still " << health << " health";
        EXPECT_LE(health, 0.0f);

        pressEnter();
        playFrame(0.1f);
        ASSERT_FALSE(roundOver);
        EXPECT_EQ(census(), fresh) << "what the old round left behind";
        EXPECT_EQ(player->getHealth(), 100.0f);
    }
}

TEST_F(RoundGLTest, ANewRoundStartsWithNoSprayAndNothingHeldFromTheLast) {
    using Quillmere::Physics::ParticleSystem;
    playFrame(0.01f);
    Projectile::addSpray(ParticleSystem::getInstance(), Vector2(0.0f, -100.0f));
    playFrame(0.01f);
    ASSERT_GT(ParticleSystem::getInstance()->getParticles().size(), 0u);

    // W is held from before the round ends until after the next begins.
    Uint8* keys = SDL_GetKeyState(nullptr);
    keys[SDLK_w] = 1;
    for (int blow = 0; blow < 17; ++blow) {
        player->damage(6.0f);
    }
    playFrame(0.01f);
    ASSERT_TRUE(roundOver);
    pressEnter();
    playFrame(0.1f);
    ASSERT_FALSE(roundOver);
    EXPECT_TRUE(ParticleSystem::getInstance()->getParticles().empty());
    EXPECT_TRUE(ParticleSystem::getInstance()->getEmitters().empty());
    for (int i = 0; i < 3; ++i) {
        playFrame(0.1f);
    }
    EXPECT_EQ(player->getPosition().y, -30.0f) << "the held key walked the new figure";

    // Let go and pressed again, it walks.
    keys[SDLK_w] = 0;
    playFrame(0.1f);
    keys[SDLK_w] = 1;
    playFrame(0.1f);
    keys[SDLK_w] = 0;
    EXPECT_NEAR(player->getPosition().y, -37.0f, 1e-3f);
}

TEST_F(RoundGLTest, TheLastFrameShowsHealthUsedUpAsNothingLeft) {
    playFrame(0.01f);
    // Seventeen blows of 6 take 102 of the 100.
    for (int blow = 0; blow < 17; ++blow) {
        player->damage(6.0f);
    }
    EXPECT_FLOAT_EQ(player->getHealth(), -2.0f) << "the figure keeps what the blows left";
    playFrame(0.01f);
    ASSERT_TRUE(roundOver);
    const Frame last = readFrame();

    // The health line as the display prints it, alone on black.
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 0.0f, 0.0f);
    print(font, 750, 740, "Health: 0 / 100");
    const Frame expected = readFrame();
    int differ = 0, shown = 0;
    for (int y = 728; y < 768; ++y) {
        for (int x = 700; x < 1024; ++x) {
            differ += last.at(x, y)[0] != expected.at(x, y)[0];
            shown += expected.at(x, y)[0] != 0;
        }
    }
    ASSERT_GT(shown, 500);
    EXPECT_EQ(differ, 0) << "the top right corner does not read \"Health: 0 / 100\"";
}
