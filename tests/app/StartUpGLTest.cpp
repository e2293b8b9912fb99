#include "app/StartUp.h"
#include "support/GLContext.h"

#include <SDL_opengl.h>

#include <GL/glu.h>

namespace {

class FixedStateGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        // Move the modelview first: the light must still be given in eye space.
        glTranslatef(10.0f, 20.0f, 30.0f);
        setUpFixedOpenGLState();
    }
};

void expectVec4(GLenum light, GLenum pname, float a, float b, float c, float d) {
    GLfloat v[4] = {-9, -9, -9, -9};
    glGetLightfv(light, pname, v);
    EXPECT_FLOAT_EQ(v[0], a);
    EXPECT_FLOAT_EQ(v[1], b);
    EXPECT_FLOAT_EQ(v[2], c);
    EXPECT_FLOAT_EQ(v[3], d);
}

} // namespace

TEST_F(FixedStateGLTest, LightingState) {
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    GLint shade = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_SMOOTH);

    GLfloat ambient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.3f);
    EXPECT_FLOAT_EQ(ambient[1], 0.3f);
    EXPECT_FLOAT_EQ(ambient[2], 0.3f);
    EXPECT_FLOAT_EQ(ambient[3], 1.0f);

    // Positions are stored in eye space: identical to what was given, since
    // the modelview was reset to the identity first.
    expectVec4(GL_LIGHT0, GL_POSITION, 0.0f, 0.0f, 150.0f, 1.0f);
    GLfloat dir[3];
    glGetLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, dir);
    EXPECT_FLOAT_EQ(dir[0], 0.0f);
    EXPECT_FLOAT_EQ(dir[1], 0.0f);
    EXPECT_FLOAT_EQ(dir[2], -1.0f);

    // Everything else of light 0 keeps OpenGL's defaults.
    GLfloat cutoff = 0;
    glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, &cutoff);
    EXPECT_FLOAT_EQ(cutoff, 180.0f);
    expectVec4(GL_LIGHT0, GL_DIFFUSE, 1.0f, 1.0f, 1.0f, 1.0f);

    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 0.0f);
    EXPECT_FLOAT_EQ(m[14], 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FixedStateGLTest, FogState) {
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_LINEAR);
    GLfloat colour[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_FOG_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.0f);
    EXPECT_FLOAT_EQ(colour[1], 0.0f);
    EXPECT_FLOAT_EQ(colour[2], 0.0f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    GLfloat start = 0, end = 0, density = 0;
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    glGetFloatv(GL_FOG_DENSITY, &density);
    EXPECT_FLOAT_EQ(start, 100.0f);
    EXPECT_FLOAT_EQ(end, 500.0f);
    EXPECT_FLOAT_EQ(density, 0.85f);
    GLint hint = 0;
    glGetIntegerv(GL_FOG_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);
}

TEST_F(FixedStateGLTest, FogFadesWithEyeDistance) {
    // An unlit white quad at a given eye distance: untouched nearer than 100,
    // pure fog colour from 500 on, linear in between.
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1024.0 / 768.0, 0.1, 600.0);
    glMatrixMode(GL_MODELVIEW);
    auto greyAt = [](float distance) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_QUADS);
        glVertex3f(-1000.0f, -1000.0f, -distance);
        glVertex3f(1000.0f, -1000.0f, -distance);
        glVertex3f(1000.0f, 1000.0f, -distance);
        glVertex3f(-1000.0f, 1000.0f, -distance);
        glEnd();
        return static_cast<int>(readPixel(512, 384)[0]);
    };
    EXPECT_EQ(greyAt(50.0f), 255);
    EXPECT_NEAR(greyAt(300.0f), 128, 3);
    EXPECT_EQ(greyAt(500.0f), 0);
    EXPECT_EQ(greyAt(550.0f), 0);
    glEnable(GL_LIGHTING);
}
