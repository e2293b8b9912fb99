// The control step fed real SDL events and key states, and the scene it
// steers: what each input asks of the figure and which switches flip.

#include "support/GameDirGLTest.h"

#include "app/Globals.h"
#include "app/MainLoop.h"
#include "app/Scene.h"
#include "core/Camera.h"
#include "core/ClockHighDef.h"
#include "world/Character.h"
#include "world/SpawnPoint.h"
#include "world/Tree.h"
#include "world/Zombie.h"

#include <SDL.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

class ControlsGLTest : public GameDirGLTest {
protected:
    void SetUp() override {
        GameDirGLTest::SetUp();
        SDL_Event pending;
        while (SDL_PollEvent(&pending)) {
        }
        releaseAll();
        resetControls();
        player = new Character(Vector2(0.0f, -30.0f));
        objects()->add(player);
    }

    void TearDown() override {
        releaseAll();
        player = nullptr;
        wireframe = showFps = false;
        magFilterNearest = minFilterNearest = viewCulling = true;
        GameDirGLTest::TearDown();
    }

    static void hold(std::initializer_list<SDLKey> keys) {
        Uint8* state = SDL_GetKeyState(nullptr);
        for (SDLKey key : keys) {
            state[key] = 1;
        }
    }
    static void releaseAll() {
        int count = 0;
        Uint8* state = SDL_GetKeyState(&count);
        std::fill(state, state + count, 0);
    }
    static void pushMotion(int xrel) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.xrel = static_cast<Sint16>(xrel);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
    static void pushButton(Uint8 button) {
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = button;
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
};

} // namespace

TEST_F(ControlsGLTest, OneEventPerFrameTurnsAndChangesWeapons) {
    // SDL measures the first motion from the screen's corner: it only tells
    // where the pointer is and turns nothing.
    pushMotion(512);
    pushMotion(30);
    pushMotion(-10);
    const float headings[] = {0.0f, 30.0f, 20.0f, 20.0f};
    for (float heading : headings) {
        handleEvents();
        EXPECT_EQ(player->getHeading(), heading);
    }

    pushButton(SDL_BUTTON_WHEELUP);
    pushButton(SDL_BUTTON_WHEELUP);
    pushButton(SDL_BUTTON_WHEELDOWN);
    pushButton(SDL_BUTTON_MIDDLE);
    const unsigned int weapons[] = {1, 0, 1, 1};
    for (unsigned int index : weapons) {
        handleEvents();
        EXPECT_EQ(player->getWeaponIndex(), index);
    }
}

TEST_F(ControlsGLTest, HeldKeysRequestMovementWAndAWinTheirPairs) {
    struct Case {
        std::vector<SDLKey> keys;
        unsigned char movement;
    };
    const Case cases[] = {{{SDLK_w, SDLK_s}, Character::FORWARD},
                          {{SDLK_s}, Character::BACKWARD},
                          {{SDLK_a, SDLK_d}, Character::STRAFE_LEFT},
                          {{SDLK_d}, Character::STRAFE_RIGHT},
                          {{SDLK_w, SDLK_a}, Character::FORWARD | Character::STRAFE_LEFT},
                          {{}, 0}};
    for (const Case& c : cases) {
        releaseAll();
        for (SDLKey key : c.keys) {
            hold({key});
        }
        handleEvents();
        EXPECT_EQ(player->getMovement(), c.movement) << c.keys.size() << " keys";
        player->update(0.0f);
    }
}

TEST_F(ControlsGLTest, AFunctionKeyFlipsItsSwitchOncePerPress) {
    // Pressed together, only the first of F3, F2, F4, F5, F6 counts.
    hold({SDLK_F3, SDLK_F2});
    for (int frame = 0; frame < 5; ++frame) {
        handleEvents();
    }
    EXPECT_TRUE(wireframe);
    EXPECT_FALSE(showFps);

    // A key pressed while another is held still counts.
    hold({SDLK_F6});
    handleEvents();
    handleEvents();
    EXPECT_FALSE(viewCulling);

    // Released and pressed again: each press flips once more.
    struct Press {
        SDLKey key;
        bool* flag;
    };
    const Press presses[] = {{SDLK_F3, &wireframe},        {SDLK_F2, &showFps},
                             {SDLK_F4, &magFilterNearest}, {SDLK_F5, &minFilterNearest},
                             {SDLK_F6, &viewCulling},      {SDLK_F2, &showFps}};
    for (const Press& p : presses) {
        releaseAll();
        handleEvents();
        bool before = *p.flag;
        hold({p.key});
        handleEvents();
        handleEvents();
        EXPECT_NE(*p.flag, before) << "key " << p.key;
    }
    EXPECT_FALSE(wireframe);
    EXPECT_FALSE(showFps);
    EXPECT_FALSE(magFilterNearest);
    EXPECT_FALSE(minFilterNearest);
    EXPECT_TRUE(viewCulling);
}

TEST_F(ControlsGLTest, TheSceneStartsBehindTheFigureAndTheCameraFollowsIt) {
    objects()->clear();
    player = nullptr;
    if (Quillmere::getClock() == nullptr) {
        Quillmere::setClock(new Quillmere::ClockHighDef());
    }
    createScene();
    ASSERT_NE(player, nullptr);
    ASSERT_NE(camera, nullptr);
    std::vector<Object*> list(objects()->getObjects().begin(), objects()->getObjects().end());
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[0], player);
    EXPECT_NE(dynamic_cast<Tree*>(list[1]), nullptr);
    EXPECT_EQ(player->getPosition().x, 0.0f);
    EXPECT_EQ(player->getPosition().y, -30.0f);
    // The grave stones in their order, opposite ones sharing an interval.
    const float stones[4][3] = {{200, 200, 15}, {-200, 200, 10}, {-200, -200, 15}, {200, -200, 10}};
    for (int i = 0; i < 4; ++i) {
        auto* stone = dynamic_cast<SpawnPoint*>(list[2 + i]);
        ASSERT_NE(stone, nullptr) << "object " << 2 + i;
        EXPECT_EQ(stone->getPosition().x, stones[i][0]);
        EXPECT_EQ(stone->getPosition().y, stones[i][1]);
        EXPECT_EQ(stone->getInterval(), stones[i][2]);
    }
    EXPECT_EQ(count<Zombie>(), 0) << "no zombie before the stones raise them";

    updateWorld(0.01f);
    EXPECT_EQ(count<Zombie>(), 4);
    EXPECT_FLOAT_EQ(camera->getPosition().x, 0.0f);
    EXPECT_FLOAT_EQ(camera->getPosition().y, 60.0f);
    EXPECT_EQ(camera->getYaw(), 0.0f);
    EXPECT_EQ(camera->getPitch(), 35.0f);

    // Turned a quarter, it looks along +x: the camera stands on its -x side.
    player->turn(90.0f);
    updateWorld(0.01f);
    EXPECT_NEAR(camera->getPosition().x, -90.0f, 1e-3f);
    EXPECT_NEAR(camera->getPosition().y, -30.0f, 1e-3f);
    EXPECT_EQ(camera->getYaw(), 90.0f);
    delete camera;
    camera = nullptr;
}
