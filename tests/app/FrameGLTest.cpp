// Renders whole frames of the field from the generated content and reads them
// back: ground, fence ring, tree, water and fog where the world puts them.

#include "support/FakeClock.h"
#include "support/Frame.h"
#include "support/GLContext.h"
#include "support/GameFont.h"
#include "support/ParticleReset.h"
#include "support/RandomDraws.h"
#include "support/TestFiles.h"

#include "app/Globals.h"
#include "app/MainLoop.h"
#include "app/Renderer.h"
#include "app/StartUp.h"
#include "assets/OBJModel.h"
#include "assets/Texture2DManager.h"
#include "combat/Weapon.h"
#include "core/Camera.h"
#include "core/ClockHighDef.h"
#include "world/Character.h"
#include "world/ObjectList.h"
#include "world/Tree.h"
#include "world/Zombie.h"

#include <GL/glu.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace {

class FrameGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        previousDir = std::filesystem::current_path();
        std::filesystem::current_path(MORROWFEN_GAME_DIR);
        ASSERT_TRUE(std::filesystem::exists("res/grassPlane.obj")) << "the build writes res/";
        grassPlane = new OBJModel();
        fence = new OBJModel();
        ASSERT_TRUE(grassPlane->load("res/grassPlane.obj", false));
        ASSERT_TRUE(fence->load("res/fence.obj", false));
        emptyModel = new OBJModel();
        setUpFixedOpenGLState();
        // The particle draw of every frame ticks the engine clock.
        if (Quillmere::getClock() == nullptr) {
            Quillmere::setClock(new Quillmere::ClockHighDef());
        }
        camera = new Camera();
        camera->setPitch(35.0f);
        water.loadTexture();
        ASSERT_NE(water.getTexture(), nullptr);
        Singleton<ObjectList>::getInstance()->clear();
        wireframe = false;
        // Texturing is switched on by the water and left on for the next
        // frame, as in the game: the frames measured here are never the first.
        drawFrame();
    }

    void TearDown() override {
        Singleton<ObjectList>::getInstance()->clear();
        delete grassPlane;
        delete fence;
        delete emptyModel;
        delete camera;
        grassPlane = fence = nullptr;
        camera = nullptr;
        wireframe = false;
        std::filesystem::current_path(previousDir);
    }

    void place(float x, float z, float yaw) {
        camera->setPosition(Vector2(x, z));
        camera->setYaw(yaw);
    }

    Frame render() {
        drawFrame();
        return readFrame();
    }

    // Where a world point lands in the window for the current camera,
    // computed with the same transform the frame uses.
    static bool project(float x, float y, float z, int* px, int* py) {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluPerspective(45.0, 1024.0 / 768.0, 0.1, 600.0);
        GLdouble proj[16];
        glGetDoublev(GL_PROJECTION_MATRIX, proj);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        Vector3 eye = camera->getEyePosition();
        glRotatef(camera->getPitch(), 1.0f, 0.0f, 0.0f);
        glRotatef(camera->getYaw(), 0.0f, 1.0f, 0.0f);
        glTranslatef(-eye.x, -eye.y, -eye.z);
        GLdouble model[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glPopMatrix();
        GLint viewport[4] = {0, 0, 1024, 768};
        GLdouble wx, wy, wz;
        gluProject(x, y, z, model, proj, viewport, &wx, &wy, &wz);
        *px = static_cast<int>(wx);
        *py = static_cast<int>(wy);
        return *px >= 0 && *px < 1024 && *py >= 0 && *py < 768;
    }

    // Pixels that differ between two frames within a box around (x, y).
    static int changedAround(const Frame& a, const Frame& b, int x, int y, int half,
                             int threshold = 30) {
        int changed = 0;
        for (int j = std::max(0, y - half); j <= std::min(767, y + half); ++j) {
            for (int i = std::max(0, x - half); i <= std::min(1023, x + half); ++i) {
                if (std::abs(a.brightness(i, j) - b.brightness(i, j)) > threshold) {
                    ++changed;
                }
            }
        }
        return changed;
    }

    std::filesystem::path previousDir;
    OBJModel* emptyModel = nullptr;
};

} // namespace

TEST_F(FrameGLTest, FieldIsLitAndTexturedGrass) {
    place(0.0f, 150.0f, 0.0f);
    int x, y;
    ASSERT_TRUE(project(40.0f, 0.0f, 50.0f, &x, &y));
    Frame lit = render();
    // Grass: green above red and blue, and a texture, not one flat colour.
    long r = 0, g = 0, b = 0;
    int lo = 999, hi = 0;
    for (int j = y - 20; j < y + 20; ++j) {
        for (int i = x - 20; i < x + 20; ++i) {
            r += lit.at(i, j)[0];
            g += lit.at(i, j)[1];
            b += lit.at(i, j)[2];
            lo = std::min(lo, lit.brightness(i, j));
            hi = std::max(hi, lit.brightness(i, j));
        }
    }
    EXPECT_GT(g, r);
    EXPECT_GT(g, b);
    EXPECT_GT(g / 1600, 40);
    EXPECT_GT(hi - lo, 20) << "the ground looks untextured";
    // Lit: without the lamp only the ambient light is left, and it is darker.
    glDisable(GL_LIGHT0);
    Frame ambient = render();
    glEnable(GL_LIGHT0);
    EXPECT_GT(lit.brightness(x, y), ambient.brightness(x, y) + 30);
}

TEST_F(FrameGLTest, FenceStandsOnAllFourSidesOfTheSquare) {
    struct Side {
        float camX, camZ, yaw; // 150 units inside, facing the fence
        float fenceX, fenceZ;  // a point on the fence line ahead
    };
    const Side sides[] = {{250, 30, 90, 400, 30},
                          {-30, 250, 180, 30, 400}, // yaw 180 looks along +z
                          {-250, -30, 270, -400, -30},
                          {30, -250, 0, -30, -400}};
    for (const Side& s : sides) {
        place(s.camX, s.camZ, s.yaw);
        Frame with = render();
        OBJModel* kept = fence;
        fence = emptyModel;
        Frame without = render();
        fence = kept;
        int x, y;
        ASSERT_TRUE(project(s.fenceX, 20.0f, s.fenceZ, &x, &y));
        EXPECT_GT(changedAround(with, without, x, y, 12), 60)
            << "no fence near (" << s.fenceX << ", " << s.fenceZ << ")";
        // Nothing of the fence stands 45 units short of the line.
        int nx, ny;
        float shortX = s.fenceX - (s.fenceX - s.camX) * 0.3f;
        float shortZ = s.fenceZ - (s.fenceZ - s.camZ) * 0.3f;
        ASSERT_TRUE(project(shortX, 5.0f, shortZ, &nx, &ny));
        EXPECT_EQ(changedAround(with, without, nx, ny, 4), 0);
    }
}

TEST_F(FrameGLTest, TreeStandsAtTheCentre) {
    place(0.0f, 150.0f, 0.0f);
    Frame without = render();
    Singleton<ObjectList>::getInstance()->add(new Tree(Vector2(0.0f, 0.0f)));
    Frame with = render();
    int x, y;
    ASSERT_TRUE(project(0.0f, 30.0f, 0.0f, &x, &y)); // the trunk
    EXPECT_GT(changedAround(with, without, x, y, 10), 100);
    int sx, sy;
    ASSERT_TRUE(project(110.0f, 5.0f, -100.0f, &sx, &sy)); // well clear of it
    EXPECT_EQ(changedAround(with, without, sx, sy, 10), 0);
}

TEST_F(FrameGLTest, GroundBeyondFiveHundredUnitsIsFullyFogged) {
    // Looking 35 degrees down from the eye, the top edge of the window meets
    // the ground about 510 units away along the view: black. Nearer rows are not.
    place(0.0f, 390.0f, 0.0f);
    Frame f = render();
    f.save("fog");
    for (int x = 300; x < 700; x += 10) {
        EXPECT_EQ(f.brightness(x, 767), 0) << x;
    }
    EXPECT_GT(f.brightness(512, 200), 60);
}

TEST_F(FrameGLTest, WireframeDrawsLines) {
    place(0.0f, 150.0f, 0.0f);
    Frame filled = render();
    wireframe = true;
    Frame lines = render();
    int filledLit = 0, linesLit = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 1024; ++x) {
            filledLit += filled.brightness(x, y) > 30;
            linesLit += lines.brightness(x, y) > 30;
        }
    }
    EXPECT_GT(filledLit, 300 * 1024 * 9 / 10);
    EXPECT_GT(linesLit, 1000);
    EXPECT_LT(linesLit, filledLit / 2);
    GLint modes[2];
    glGetIntegerv(GL_POLYGON_MODE, modes);
    // The water switches polygons back to filled after the ground and fence.
    EXPECT_EQ(modes[0], GL_FILL);
}

TEST_F(FrameGLTest, WaterLiesBeyondTheCornerAndDrifts) {
    // From near the (-400, 400) corner, looking out over it.
    place(-300.0f, 300.0f, 225.0f);
    int x, y;
    ASSERT_TRUE(project(-480.0f, -10.0f, 480.0f, &x, &y));
    Frame first = render();
    first.save("water");
    // Dark under the scene's light, but blue, not the black of empty space.
    const unsigned char* p = first.at(x, y);
    EXPECT_GT(p[2], p[0]) << "water should be blue";
    EXPECT_GT(p[2], 5);
    // The surface moves from frame to frame: its texture drifts and its rows roll.
    Frame second = render();
    EXPECT_GT(changedAround(first, second, x, y, 40, 0), 100);
}

TEST_F(FrameGLTest, AKillingBlastSpraysRedAtTheZombiesFeet) {
    // The survivor with a zombie 60 units ahead, as close as one comes; the
    // frames are the game's, with the engine clock at 30 frames a second.
    ScopedFakeClock clock;
    clock.clock.tickDelta = 1.0f / 30.0f;
    resetParticleSystem();
    auto* figure = new Character(Vector2(0.0f, -30.0f));
    player = figure;
    Singleton<ObjectList>::getInstance()->add(figure);
    auto* zombie = new Zombie(Vector2(0.0f, -90.0f));
    Singleton<ObjectList>::getInstance()->add(zombie);
    seedForNextDraw(4); // no pick-up to confuse the picture
    // The display as the game shows it, for the picture kept.
    loadGameFont();
    shellTexture = Texture2DManager::getInstance()->load("res/shell.tga");
    auto frame = [this] {
        updateWorld(1.0f / 30.0f);
        return render();
    };
    frame(); // the display leaves its alpha test for the next frame, as in play
    Frame before = frame();

    figure->getWeapon(1)->shoot(figure->getPosition(), 0.0f);
    int frames = 0;
    while (!zombie->isMarkedForDestruction() && frames < 10) {
        frame();
        frames += 1;
    }
    ASSERT_TRUE(zombie->isMarkedForDestruction()) << "the blast did not kill";
    frame();
    Frame after = frame();
    after.save("zombie-spray");

    // Additive red on the grass: red at its brightest over the green.
    auto hotRed = [](const Frame& f, int x, int y) {
        int n = 0;
        for (int j = y - 60; j <= y + 60; ++j) {
            for (int i = x - 120; i <= x + 120; ++i) {
                const unsigned char* p = f.at(i, j);
                n += p[0] > 240 && p[0] > p[1] + 100;
            }
        }
        return n;
    };
    int x, y;
    ASSERT_TRUE(project(0.0f, 0.0f, -90.0f, &x, &y));
    EXPECT_EQ(hotRed(before, x, y), 0);
    EXPECT_GT(hotRed(after, x, y), 40);
    player = nullptr;
    shellTexture = nullptr;
    resetParticleSystem();
}
