#pragma once

#include "support/GLContext.h"

#include "app/Controls.h"
#include "world/ObjectList.h"

#include <filesystem>

// A drawing test that runs in the game's folder, so that figures load their
// generated models and skins from res/, and starts with an empty world.
class GameDirGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        previousDir = std::filesystem::current_path();
        std::filesystem::current_path(MORROWFEN_GAME_DIR);
        ASSERT_TRUE(std::filesystem::exists("res/character.md2")) << "the build writes res/";
        // Other tests share this display: never wait on a pointer grab.
        mouseGrabAllowed = false;
        // Nor pause when another test's window takes the focus.
        focusPauseAllowed = false;
        objects()->clear();
    }

    void TearDown() override {
        objects()->clear();
        std::filesystem::current_path(previousDir);
    }

    static ObjectList* objects() { return Singleton<ObjectList>::getInstance(); }

    // How many objects in the world are of type T.
    template <class T> static int count() {
        int n = 0;
        for (Object* object : objects()->getObjects()) {
            n += dynamic_cast<T*>(object) != nullptr;
        }
        return n;
    }

    std::filesystem::path previousDir;
};
