// The spray of a hit as the player sees it: the generated particle picture
// drawn in whole frames of the field from the game's camera, with the alpha
// test and the blending the display leaves behind, mipmaps and fog.

#include "support/FakeClock.h"
#include "support/Frame.h"
#include "support/GameDirGLTest.h"
#include "support/GameFont.h"
#include "support/ParticleReset.h"
#include "support/ParticleSquares.h"

#include "app/Globals.h"
#include "app/Renderer.h"
#include "app/StartUp.h"
#include "assets/OBJModel.h"
#include "assets/Texture2DManager.h"
#include "combat/PistolProjectile.h"
#include "core/Camera.h"
#include "core/Random.h"
#include "world/Character.h"
#include "world/Zombie.h"

#include <SDL_opengl.h>

#include <GL/glu.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

using Quillmere::Physics::ParticleSystem;

namespace {

// Red added by at least an eighth of its range: a pixel anyone would see.
const int LIT = 32;

class SprayGLTest : public GameDirGLTest {
protected:
    void SetUp() override {
        GameDirGLTest::SetUp();
        ASSERT_NO_THROW(loadGameFont());
        grassPlane = new OBJModel();
        fence = new OBJModel();
        ASSERT_TRUE(grassPlane->load("res/grassPlane.obj", false));
        ASSERT_TRUE(fence->load("res/fence.obj", false));
        setUpFixedOpenGLState();
        water.loadTexture();
        keptShell = shellTexture;
        shellTexture = Texture2DManager::getInstance()->load("res/shell.tga");
        camera = new Camera();
        // A figure for the display's lines alone: not in the world, not drawn.
        figure = new Character(Vector2(0.0f, 0.0f));
        player = figure;
        showFps = false;
        clock.clock.delta = clock.clock.tickDelta = 1.0f / 60.0f;
        resetParticleSystem();
    }

    void TearDown() override {
        resetParticleSystem();
        player = nullptr;
        shellTexture = keptShell;
        delete figure;
        delete camera;
        delete grassPlane;
        delete fence;
        camera = nullptr;
        grassPlane = fence = nullptr;
        GameDirGLTest::TearDown();
    }

    // One frame as the loop plays it: the world's particle update, then the
    // render, which updates them again.
    static void playSprayFrame() {
        ParticleSystem::getInstance()->update();
        drawFrame();
    }

    // The pixels the live particles' squares cover from the camera, ground
    // in front of them hiding them as the frame's depth buffer has it.
    static Frame squares() {
        glClear(GL_COLOR_BUFFER_BIT);
        glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1024.0 / 768.0, 0.1, 600.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const Vector3 eye = camera->getEyePosition();
        glRotatef(camera->getPitch(), 1.0f, 0.0f, 0.0f);
        glRotatef(camera->getYaw(), 0.0f, 1.0f, 0.0f);
        glTranslatef(-eye.x, -eye.y, -eye.z);
        glColor3f(1.0f, 1.0f, 1.0f);
        drawParticleSquaresByHand();
        glPopAttrib();
        return readFrame();
    }

    ScopedFakeClock clock;
    Character* figure = nullptr;
    Texture2D* keptShell = nullptr;
};

} // namespace

TEST_F(SprayGLTest, ParticlePicturePassesTheAlphaTestAndAddsRedAtEveryLevel) {
    Texture2D* texture = Texture2DManager::getInstance()->load("res/Particle.tga");
    ASSERT_NE(texture, nullptr);
    texture->bind();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size);
    ASSERT_GT(size, 4);
    int level = 0;
    for (int side = size; side >= 1; side /= 2, ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        GLint w = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        ASSERT_EQ(w, side);
        std::vector<unsigned char> texels(static_cast<size_t>(side) * side * 4);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        int failing = 0, brightest = 0;
        for (size_t i = 0; i < texels.size(); i += 4) {
            failing += texels[i + 3] <= 0.9 * 255;
            brightest = std::max<int>(brightest, texels[i]);
        }
        EXPECT_EQ(failing, 0) << "texels the display's alpha test drops";
        // Under the red tint and additive blending only red adds: a level
        // with none would draw nothing at that distance.
        EXPECT_GT(brightest, 64);
    }
}

TEST_F(SprayGLTest, AHitShowsAsRedDropsNearAndFar) {
    // The camera as the game places it, 35 degrees down; hits straight
    // ahead at each ground distance, seen 0.12 s (7 frames at 60 a second)
    // after the shot, as the same spray each time.
    const Vector2 eye(0.0f, 150.0f);
    camera->setPosition(eye);
    camera->setYaw(0.0f);
    camera->setPitch(figure->getPitch());
    for (float distance : {80.0f, 150.0f, 250.0f}) {
        const std::string name = "spray_" + std::to_string(static_cast<int>(distance));
        SCOPED_TRACE(name);
        resetParticleSystem();
        // Twice, so the frame measured inherits the display's state.
        drawFrame();
        drawFrame();
        const Frame before = readFrame();

        Random::seed(7);
        const Vector2 at(eye.x, eye.y - distance);
        Zombie zombie(at);
        PistolProjectile shot(at, 0.0f);
        shot.collideWithZombie(&zombie);
        for (int frame = 0; frame < 7; ++frame) {
            playSprayFrame();
        }
        ASSERT_EQ(ParticleSystem::getInstance()->getParticles().size(), 100u);
        const Frame after = readFrame();
        after.save(name);
        const Frame covered = squares();

        int lit = 0, squarePixels = 0, litOutside = 0, notRed = 0;
        for (int y = 0; y < 768; ++y) {
            for (int x = 0; x < 1024; ++x) {
                const bool inSquare = covered.at(x, y)[0] != 0;
                const bool shows = after.at(x, y)[0] - before.at(x, y)[0] >= LIT;
                squarePixels += inSquare;
                lit += shows;
                litOutside += shows && !inSquare;
                notRed += after.at(x, y)[1] != before.at(x, y)[1] ||
                          after.at(x, y)[2] != before.at(x, y)[2];
            }
        }
        std::cout << name << ": " << lit << " lit of " << squarePixels << " covered\n";
        RecordProperty(name + "_lit", lit);
        RecordProperty(name + "_covered", squarePixels);
        ASSERT_GT(squarePixels, 100) << "the spray is in view above the ground";
        EXPECT_EQ(litOutside, 0) << "only the squares add";
        EXPECT_EQ(notRed, 0) << "the spray adds nothing but red";
        // The drops show at every distance, a far one dimmer but there.
        EXPECT_GT(lit, squarePixels / 2);
        if (distance == 80.0f) {
            // Close up the squares' corners stay dark: drops, not squares.
            EXPECT_LT(lit, squarePixels * 9 / 10);
        }
    }
}
