#include "support/GLContext.h"
#include "support/TestFiles.h"

#include "core/Camera.h"
#include "world/Object.h"
#include "world/Water.h"

#include <GL/glu.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

class Marker : public Object {
public:
    Marker(Vector2 at, float heading) : Object(at, Vector3(2.0f, 3.0f, 4.0f), 10.0f, "") {
        setHeading(heading);
    }
    void collide(Object*) override {}
};

class Figure : public Object {
public:
    explicit Figure(const std::string& model) : Object(Vector2(), Vector3(1, 1, 1), 0.0f, model) {}
    void collide(Object*) override {}
};

using ObjectGLTest = GLTest;
using WaterGLTest = GLTest;

float sinDegrees(double d) {
    return static_cast<float>(std::sin(d / 180.0 * 3.141592654));
}

} // namespace

TEST_F(ObjectGLTest, DrawWithoutAModelRestoresTheMatrixAndLeavesLightingOn) {
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glTranslatef(1.0f, 2.0f, 3.0f);
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    GLint depthBefore = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);

    Marker m(Vector2(5.0f, 6.0f), 90.0f);
    Camera camera;
    m.draw(&camera);

    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(before[i], after[i]);
    }
    GLint depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthBefore, depthAfter);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
}

TEST_F(ObjectGLTest, AModelThatCannotBeReadIsRefusedNamingItsFile) {
    const std::string dir = makeTestScratchDir("unreadable-models");
    writeFile(dir + "/notmd2.md2", "IDP3 and nothing more");
    const struct {
        std::string model, reason;
    } cases[] = {
        {dir + "/absent", dir + "/absent.md2: Couldn't open file"},
        {dir + "/notmd2", dir + "/notmd2.md2: Bad file ident"},
    };
    for (const auto& c : cases) {
        try {
            Figure figure(c.model);
            ADD_FAILURE() << c.model << " was built";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), c.reason);
        }
    }
}

TEST_F(ObjectGLTest, ASkinThatCannotBeReadIsReportedForTheFirstFigureOnly) {
    const std::string dir = makeTestScratchDir("skinless");
    std::filesystem::copy_file(std::string(MORROWFEN_GAME_DIR) + "/res/weapon.md2",
                               dir + "/bare.md2",
                               std::filesystem::copy_options::overwrite_existing);
    ::testing::internal::CaptureStderr();
    Figure first(dir + "/bare");
    Figure second(dir + "/bare");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Error: Couldn't create texture 2D from " + dir +
                  "/bare.tga\nReason: Couldn't open file\n");
    EXPECT_NE(first.getModel(), nullptr);
    EXPECT_NE(second.getModel(), nullptr);
}

TEST_F(WaterGLTest, GridStartsAsOneWaveAlongI) {
    Water water;
    const float* p = water.getGridPoint(0, 7);
    EXPECT_FLOAT_EQ(p[0], -4.5f);
    EXPECT_FLOAT_EQ(p[1], 7 / 5.0f - 4.5f);
    EXPECT_FLOAT_EQ(p[2], 0.0f);
    const float* q = water.getGridPoint(44, 44);
    EXPECT_FLOAT_EQ(q[0], 4.3f);
    EXPECT_FLOAT_EQ(q[1], 4.3f);
    EXPECT_FLOAT_EQ(q[2], sinDegrees(88.0));
    EXPECT_FLOAT_EQ(water.getGridPoint(10, 3)[2], sinDegrees(20.0));
    EXPECT_FLOAT_EQ(water.getTextureOffset(), 0.01f);
}

TEST_F(WaterGLTest, RowsRollOnEverySecondDrawFromTheThird) {
    Water water;
    ASSERT_EQ(water.getTexture(), nullptr);
    EXPECT_TRUE(water.draw());
    EXPECT_FLOAT_EQ(water.getTextureOffset(), 0.02f);
    EXPECT_FLOAT_EQ(water.getGridPoint(0, 5)[2], 0.0f);
    water.draw();
    EXPECT_FLOAT_EQ(water.getTextureOffset(), 0.03f);
    EXPECT_FLOAT_EQ(water.getGridPoint(0, 5)[2], 0.0f); // not yet
    water.draw();
    // The third draw rolls: row 0 takes row 1's height, row 44 the old row 0.
    for (int j : {0, 22, 44}) {
        EXPECT_FLOAT_EQ(water.getGridPoint(0, j)[2], sinDegrees(2.0));
        EXPECT_FLOAT_EQ(water.getGridPoint(43, j)[2], sinDegrees(88.0));
        EXPECT_FLOAT_EQ(water.getGridPoint(44, j)[2], 0.0f);
    }
    water.draw(); // the fourth does not roll
    EXPECT_FLOAT_EQ(water.getGridPoint(0, 3)[2], sinDegrees(2.0));
    water.draw(); // the fifth does
    EXPECT_FLOAT_EQ(water.getGridPoint(0, 3)[2], sinDegrees(4.0));
    EXPECT_NEAR(water.getTextureOffset(), 0.06f, 1e-6);
}

TEST_F(WaterGLTest, WithoutItsPictureTheSurfaceIsDrawnUntexturedInPlace) {
    // Bind some other texture first: the water must not borrow it.
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    unsigned char red[4 * 4 * 4];
    for (int i = 0; i < 16; ++i) {
        red[i * 4] = 255;
        red[i * 4 + 1] = 0;
        red[i * 4 + 2] = 0;
        red[i * 4 + 3] = 255;
    }
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE, red);

    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glColor3f(0.0f, 1.0f, 0.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Look straight down on the middle of the surface, world (-505, 545).
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, 1024.0 / 768.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(-505.0, 300.0, 545.0, -505.0, 0.0, 545.0, 0.0, 0.0, -1.0);
    Water water;
    water.draw();
    auto centre = readPixel(512, 384);
    EXPECT_EQ(centre[0], 0);
    EXPECT_EQ(centre[1], 255);
    // Beyond the surface's edge (world x -725) nothing is drawn.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(-800.0, 300.0, 545.0, -800.0, 0.0, 545.0, 0.0, 0.0, -1.0);
    water.draw();
    EXPECT_EQ(readPixel(512, 384)[1], 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glDeleteTextures(1, &other);
    glEnable(GL_LIGHTING);
}
