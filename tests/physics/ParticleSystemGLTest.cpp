#include "assets/Texture2DManager.h"
#include "combat/Projectile.h"
#include "core/Random.h"
#include "physics/Particle.h"
#include "physics/ParticleEmitter.h"
#include "physics/ParticlePool.h"
#include "physics/ParticleSystem.h"
#include "support/FakeClock.h"
#include "support/Frame.h"
#include "support/GLContext.h"
#include "support/ParticleSquares.h"
#include "support/TestFiles.h"

#include <SDL_opengl.h>

#include <GL/glu.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

using Quillmere::Vector3f;
using Quillmere::Physics::Particle;
using Quillmere::Physics::ParticleEmitter;
using Quillmere::Physics::ParticlePool;
using Quillmere::Physics::ParticleSystem;

namespace {

// A 4 x 4 white 32-bit TGA, opaque in its left two columns and fully
// transparent in the right two.
std::vector<unsigned char> halfOpaqueTga() {
    std::vector<unsigned char> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 32, 8};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            unsigned char alpha = x < 2 ? 255 : 0;
            tga.insert(tga.end(), {255, 255, 255, alpha});
        }
    }
    return tga;
}

// The particles drawn in a world where one unit is 100 pixels and the origin
// is the middle of the window, from a working folder of the test's own, so
// that "res/Particle.tga" is whatever the test puts there.
class ParticleDrawGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        dir = makeTestScratchDir("particle_draw");
        std::filesystem::create_directories(dir + "/res");
        previousDir = std::filesystem::current_path().string();
        ASSERT_EQ(chdir(dir.c_str()), 0);
        Texture2DManager::getInstance()->purge();
        Random::seed(7);
        system = ParticleSystem::getInstance();

        glMatrixMode(GL_PROJECTION);
        glOrtho(-5.12, 5.12, -3.84, 3.84, -10.0, 10.0);
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glClearColor(0.0f, 0.5f, 0.0f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void TearDown() override {
        for (Particle* p : system->getParticles()) {
            ParticlePool::release(p);
        }
        for (ParticleEmitter* e : system->getEmitters()) {
            delete e;
        }
        delete system;
        Texture2DManager::getInstance()->purge();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_DEPTH_TEST);
        ASSERT_EQ(chdir(previousDir.c_str()), 0);
    }

    // A still emitter at (x, y, 0) whose first update sprays count particles
    // that stay put.
    ParticleEmitter* addEmitter(float x, float y, float count) {
        auto* e = new ParticleEmitter();
        e->system = system;
        e->position = Vector3f(x, y, 0.0f);
        e->accumulator = 1.0f;
        e->burstsPerSecond = 0.0f;
        e->particlesPerBurst = count;
        e->life.value = 1000.0f;
        system->addEmitter(e);
        return e;
    }

    // Window pixel of world point (x, y).
    static std::array<unsigned char, 4> pixelAt(float x, float y) {
        return readPixel(static_cast<int>(512 + x * 100), static_cast<int>(384 + y * 100));
    }

    static float depthAt(float x, float y) {
        float depth = -1.0f;
        glReadPixels(static_cast<int>(512 + x * 100), static_cast<int>(384 + y * 100), 1, 1,
                     GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    }

    // A 1 x 1 blue texture, bound and enabled as the water would leave one.
    GLuint bindStrayTexture() {
        GLuint id = 0;
        glGenTextures(1, &id);
        glBindTexture(GL_TEXTURE_2D, id);
        unsigned char blue[4] = {0, 0, 255, 255};
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, blue);
        glEnable(GL_TEXTURE_2D);
        return id;
    }

    ScopedFakeClock clock;
    ParticleSystem* system = nullptr;
    std::string dir;
    std::string previousDir;
};

void expectColour(const std::array<unsigned char, 4>& rgba, int r, int g, int b,
                  const char* where) {
    EXPECT_NEAR(rgba[0], r, 2) << where;
    EXPECT_NEAR(rgba[1], g, 2) << where;
    EXPECT_NEAR(rgba[2], b, 2) << where;
}

} // namespace

TEST_F(ParticleDrawGLTest, WithoutItsPictureASquareIsAddedPlainRed) {
    addEmitter(1.0f, -1.0f, 1.0f);
    GLuint stray = bindStrayTexture();
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    glTexCoord2f(0.25f, 0.75f);
    system->draw();
    EXPECT_EQ(clock.clock.ticks, 1);
    ASSERT_EQ(system->getParticles().size(), 1u);

    // Red added to the green behind it, over exactly one unit square; the
    // stray blue texture would have turned it black.
    expectColour(pixelAt(1.0f, -1.0f), 255, 128, 0, "middle");
    expectColour(pixelAt(0.56f, -0.56f), 255, 128, 0, "near a corner");
    expectColour(pixelAt(1.56f, -1.0f), 0, 128, 0, "right of it");
    expectColour(pixelAt(1.0f, -0.44f), 0, 128, 0, "above it");
    EXPECT_EQ(depthAt(1.0f, -1.0f), 1.0f) << "particles leave the depth buffer alone";

    // State left behind.
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is put back as it was";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_TRUE);
    GLint value = 0;
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
    EXPECT_EQ(value, GL_NICEST);
    glGetIntegerv(GL_POINT_SMOOTH_HINT, &value);
    EXPECT_EQ(value, GL_NICEST);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), stray);
    // What later drawing inherits: the red and the last corner's texture
    // coordinates are current, and no vertex array is left switched on.
    GLfloat current[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_EQ(std::vector<GLfloat>(current, current + 4), std::vector<GLfloat>({1, 0, 0, 1}));
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current);
    EXPECT_EQ(std::vector<GLfloat>(current, current + 4), std::vector<GLfloat>({0, 0, 0, 1}));
    for (GLenum array :
         {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY, GL_NORMAL_ARRAY}) {
        EXPECT_FALSE(glIsEnabled(array)) << array;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteTextures(1, &stray);
}

TEST_F(ParticleDrawGLTest, SquaresHideBehindNearerGeometry) {
    // A wall at z = 1 (nearer the viewer) covering the left half of the view.
    glDisable(GL_LIGHTING);
    glColor3f(0.0f, 0.0f, 0.25f);
    glBegin(GL_QUADS);
    glVertex3f(-6.0f, -4.0f, 1.0f);
    glVertex3f(0.0f, -4.0f, 1.0f);
    glVertex3f(0.0f, 4.0f, 1.0f);
    glVertex3f(-6.0f, 4.0f, 1.0f);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);

    addEmitter(-1.0f, 0.0f, 1.0f); // behind the wall
    addEmitter(2.0f, 0.0f, 1.0f);
    system->draw();
    expectColour(pixelAt(-1.0f, 0.0f), 0, 0, 64, "behind the wall");
    expectColour(pixelAt(2.0f, 0.0f), 255, 128, 0, "in the open");
}

TEST_F(ParticleDrawGLTest, FallingParticlesMoveDownTheScreen) {
    system->setGravity(Vector3f(0.0f, -90.8f, 0.0f));
    addEmitter(0.0f, 3.0f, 1.0f);
    clock.clock.tickDelta = 0.02f;
    float lastY = 10.0f;
    for (int frame = 0; frame < 8; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        system->draw();
        ASSERT_EQ(system->getParticles().size(), 1u);
        float y = system->getParticles().front()->position.y;
        EXPECT_LT(y, lastY);
        lastY = y;
        expectColour(pixelAt(0.0f, y), 255, 128, 0, "where the particle is");
        expectColour(pixelAt(0.0f, y + 0.6f), 0, 128, 0, "where it is not");
    }
    EXPECT_LT(lastY, 2.0f);
}

TEST_F(ParticleDrawGLTest, WithItsPictureOnlyOpaqueTexelsPassTheAlphaTest) {
    writeFile(dir + "/res/Particle.tga", halfOpaqueTga());
    addEmitter(0.0f, 0.0f, 1.0f);
    // As the heads-up display leaves things from the second frame on.
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.9f);
    system->draw();
    expectColour(pixelAt(-0.25f, 0.0f), 255, 128, 0, "opaque left half");
    expectColour(pixelAt(0.25f, 0.0f), 0, 128, 0, "transparent right half");
    Texture2D* texture = Texture2DManager::getInstance()->load("res/Particle.tga");
    ASSERT_NE(texture, nullptr);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture->getTextureId());
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(ParticleDrawGLTest, AMissingPictureIsAskedForOnlyOnce) {
    addEmitter(0.0f, 0.0f, 1.0f);
    system->draw();
    EXPECT_EQ(Texture2DManager::getInstance()->size(), 0u);
    // The file turning up later is not picked up: the run keeps plain squares.
    writeFile(dir + "/res/Particle.tga", halfOpaqueTga());
    glEnable(GL_TEXTURE_2D);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    system->draw();
    EXPECT_EQ(Texture2DManager::getInstance()->size(), 0u);
    expectColour(pixelAt(0.25f, 0.0f), 255, 128, 0, "plain square");
}

TEST_F(ParticleDrawGLTest, AProjectileSprayFrame) {
    // The spray of a hit 90 units in front of the eye, from eye height, a
    // third of a second (ten frames) after the hit, as the game sets it up.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1024.0 / 768.0, 0.1, 600.0);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.0f, -20.0f, -90.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    system->setGravity(Vector3f(0.0f, -90.8f, 0.0f));
    Projectile::addSpray(system, Vector2());
    clock.clock.tickDelta = 1.0f / 30.0f;
    for (int frame = 0; frame < 10; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        system->update();
        system->draw();
    }
    ASSERT_EQ(system->getParticles().size(), 100u);

    std::vector<unsigned char> rgb(1024 * 768 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    size_t red = 0;
    size_t other = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        red += rgb[i] > 0 ? 1 : 0;
        other += (rgb[i + 1] | rgb[i + 2]) != 0 ? 1 : 0;
    }
    EXPECT_GT(red, 2000u);
    EXPECT_EQ(other, 0u) << "nothing but red";

    // Kept beside the test's files for a look: top row first, as PPM wants.
    std::string ppm = "P6\n1024 768\n255\n";
    std::vector<unsigned char> image(ppm.begin(), ppm.end());
    for (int y = 767; y >= 0; --y) {
        image.insert(image.end(), rgb.begin() + y * 1024 * 3, rgb.begin() + (y + 1) * 1024 * 3);
    }
    writeFile(dir + "/spray.ppm", image);
}

// A spray of more particles than one piece of the draw holds is the very
// picture of each square drawn as its own strip.
TEST_F(ParticleDrawGLTest, ManySquaresDrawAsTheirStripsWould) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-51.2, 51.2, -38.4, 38.4, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    addEmitter(0.0f, 0.0f, 1600.0f);
    system->draw();
    ASSERT_EQ(system->getParticles().size(), 1600u);
    int k = 0;
    for (Particle* p : system->getParticles()) {
        p->position = Vector3f(-45.0f + 2.3f * (k % 40), -34.0f + 1.7f * (k / 40), 0.0f);
        ++k;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    system->draw();
    const Frame drawn = readFrame();

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    drawParticleSquaresByHand();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    const Frame byHand = readFrame();
    int red = 0;
    for (int y = 0; y < 768; y += 2) {
        for (int x = 0; x < 1024; x += 2) {
            red += drawn.at(x, y)[0] > 200;
        }
    }
    EXPECT_GT(red, 1600 * 20) << "every square shows";
    EXPECT_TRUE(drawn.rgb == byHand.rgb) << "the pictures differ";
}
