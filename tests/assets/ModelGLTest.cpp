#include "assets/MD2Model.h"
#include "assets/OBJModel.h"
#include "assets/Texture2DManager.h"
#include "md2/MD2Writer.h"
#include "support/GLContext.h"
#include "support/TestFiles.h"

#include "ImageBytes.h"

#include <unistd.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using Rgb = std::array<int, 3>;

// A one-colour 2 x 2 TGA.
Bytes plainTga(int r, int g, int b) {
    TgaHeader h;
    h.width = 2;
    h.height = 2;
    Bytes bytes = tgaHeader(h);
    for (int i = 0; i < 4; ++i) {
        bytes = bytes + Bytes{static_cast<unsigned char>(b), static_cast<unsigned char>(g),
                              static_cast<unsigned char>(r)};
    }
    return bytes;
}

// Draws in window pixels, in a scratch folder that holds res/ with two
// textures, since models ask the cache for "res/" + the map's name.
class ModelGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        dir = makeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        makeScratchDir(
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "/res");
        writeFile(dir + "/res/red.tga", plainTga(255, 0, 0));
        writeFile(dir + "/res/blue.tga", plainTga(0, 0, 255));
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        previous = here;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        glMatrixMode(GL_PROJECTION);
        glOrtho(0, 1024, 0, 768, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_FOG);
        glDisable(GL_CULL_FACE);
        glColor3f(1, 1, 1);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    void TearDown() override {
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glBindTexture(GL_TEXTURE_2D, 0);
        ASSERT_EQ(chdir(previous.c_str()), 0);
    }

    static Rgb pixel(int x, int y) {
        auto p = readPixel(x, y);
        return Rgb{p[0], p[1], p[2]};
    }

    static GLint boundTexture() {
        GLint id = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &id);
        return id;
    }

    std::string dir;
    std::string previous;
};

const Rgb black{0, 0, 0};
const Rgb white{255, 255, 255};
const Rgb red{255, 0, 0};
const Rgb blue{0, 0, 255};

// A quad from (100, 100) to (300, 200), written as one four-corner face.
const char* quadObj = "mtllib quad.mtl\n"
                      "v 100 100 0\nv 300 100 0\nv 300 200 0\nv 100 200 0\n"
                      "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                      "usemtl %s\nf 1/1 2/2 3/3 4/4\n";

std::string withMaterial(const char* material) {
    char text[512];
    std::snprintf(text, sizeof text, quadObj, material);
    return text;
}

} // namespace

TEST_F(ModelGLTest, ObjQuadCoversItsRectangleAndNothingElse) {
    writeFile("quad.obj", withMaterial("plain"));
    writeFile("quad.mtl", "newmtl plain\n");
    OBJModel model;
    ASSERT_TRUE(model.load("quad.obj", false));
    model.draw();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // Both triangles of the fan, near each corner.
    EXPECT_EQ(pixel(102, 102), white);
    EXPECT_EQ(pixel(297, 102), white);
    EXPECT_EQ(pixel(297, 197), white);
    EXPECT_EQ(pixel(102, 197), white);
    EXPECT_EQ(pixel(200, 150), white);
    EXPECT_EQ(pixel(97, 150), black);
    EXPECT_EQ(pixel(303, 150), black);
    EXPECT_EQ(pixel(200, 97), black);
    EXPECT_EQ(pixel(200, 203), black);
    // The arrays are switched off again; nothing else is left enabled.
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(ModelGLTest, ObjMaterialGoesToOpenGL) {
    writeFile("quad.obj", withMaterial("shiny"));
    writeFile("quad.mtl", "newmtl shiny\nKa 0.1 0.2 0.3\nKd 0.4 0.5 0.6\nKs 1 1 1\nNs 96\nd 0.5\n");
    OBJModel model;
    ASSERT_TRUE(model.load("quad.obj", false));
    model.draw();
    GLfloat v[4];
    glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
    EXPECT_FLOAT_EQ(v[0], 12.288f);
    glGetMaterialfv(GL_BACK, GL_AMBIENT, v);
    EXPECT_FLOAT_EQ(v[2], 0.3f);
    EXPECT_FLOAT_EQ(v[3], 1.0f);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[0], 0.4f);
    EXPECT_FLOAT_EQ(v[3], 1.0f); // alpha only orders the meshes
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, v);
    EXPECT_FLOAT_EQ(v[1], 1.0f);
}

// Two quads on the same spot: the translucent one comes first in the file
// but is drawn last. Lit by ambient light alone, each shows its ambient.
TEST_F(ModelGLTest, TranslucentMeshIsDrawnLast) {
    writeFile("two.obj", "mtllib two.mtl\nv 100 100 0\nv 300 100 0\nv 300 200 0\nv 100 200 0\n"
                         "usemtl glass\nf 1 2 3 4\nusemtl wood\nf 1 2 3 4\n");
    writeFile("two.mtl",
              "newmtl wood\nKa 1 0 0\nKd 0 0 0\nnewmtl glass\nKa 0 0 1\nKd 0 0 0\nd 0.5\n");
    OBJModel model;
    ASSERT_TRUE(model.load("two.obj", false));
    const GLfloat ambient[4] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glEnable(GL_LIGHTING);
    GLint lights = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &lights);
    for (int i = 0; i < lights; ++i) {
        glDisable(GL_LIGHT0 + i);
    }
    model.draw();
    EXPECT_EQ(pixel(200, 150), blue);
}

TEST_F(ModelGLTest, ObjColourMapComesFromResThroughTheCache) {
    std::filesystem::create_directories("models");
    writeFile("models/quad.obj", withMaterial("painted"));
    writeFile("models/quad.mtl", "newmtl painted\nmap_Kd red.tga\n");
    OBJModel model;
    ASSERT_TRUE(model.load("models/quad.obj", false));
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    model.draw();
    EXPECT_EQ(pixel(200, 150), red);
    // Whatever folder the model came from, the map is res/ + its name.
    Texture2D* texture = Texture2DManager::getInstance()->find("res/red.tga");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(boundTexture(), GLint(texture->getTextureId()));
}

TEST_F(ModelGLTest, MissingColourMapLeavesTheBindingAsItWasAndIsReportedOnce) {
    writeFile("quad.obj", withMaterial("lost"));
    writeFile("quad.mtl", "newmtl lost\nmap_Kd nowhere.tga\n");
    OBJModel model;
    ASSERT_TRUE(model.load("quad.obj", false));
    Texture2D* blueTexture = Texture2DManager::getInstance()->load("res/blue.tga");
    ASSERT_NE(blueTexture, nullptr);
    blueTexture->bind();
    glEnable(GL_TEXTURE_2D);
    ::testing::internal::CaptureStderr();
    model.draw();
    model.draw();
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(boundTexture(), GLint(blueTexture->getTextureId()));
    EXPECT_EQ(pixel(200, 150), blue);
    // Said once: a map that failed is not asked for again on later draws.
    EXPECT_EQ(errors, "Error: Couldn't create texture 2D from res/nowhere.tga\n"
                      "Reason: Couldn't open file\n");
}

TEST_F(ModelGLTest, EmptyModelDrawsNothing) {
    OBJModel model;
    EXPECT_FALSE(model.load("none.obj", false));
    model.draw();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(pixel(200, 150), black);
}

namespace {

// A right triangle 200 pixels on its sides; frame 1 is frame 0 moved 400
// pixels to the right.
MD2Writer slidingTriangle() {
    MD2Writer w;
    w.skinWidth = 2;
    w.skinHeight = 2;
    w.texCoords = {{0, 0}, {2, 0}, {0, 2}};
    w.triangles = {{{0, 1, 2}, {0, 1, 2}}};
    for (int f = 0; f < 2; ++f) {
        MD2Writer::Frame frame;
        frame.scale = Vector3(4.0f, 4.0f, 1.0f);
        frame.translate = Vector3(100.0f + 400.0f * f, 100.0f, 0.0f);
        frame.name = "slide" + std::to_string(f + 1);
        frame.vertices = {{{0, 0, 0}, 0}, {{50, 0, 0}, 0}, {{0, 50, 0}, 0}};
        w.frames.push_back(frame);
    }
    return w;
}

} // namespace

TEST_F(ModelGLTest, Md2FramesLandWhereTheyShouldAndBlendHalfway) {
    ASSERT_TRUE(slidingTriangle().write("slide.md2"));
    MD2Model model("slide.md2");

    model.drawFrame(0);
    EXPECT_EQ(pixel(105, 105), white);
    EXPECT_EQ(pixel(295, 103), white);
    EXPECT_EQ(pixel(103, 295), white);
    EXPECT_EQ(pixel(250, 250), black); // beyond the long side
    EXPECT_EQ(pixel(505, 105), black);

    glClear(GL_COLOR_BUFFER_BIT);
    model.drawFrames(0, 1, 0.5f); // 200 pixels along
    EXPECT_EQ(pixel(105, 105), black);
    EXPECT_EQ(pixel(297, 105), black);
    EXPECT_EQ(pixel(303, 105), white);
    EXPECT_EQ(pixel(495, 103), white);
    EXPECT_EQ(pixel(503, 105), black);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    glClear(GL_COLOR_BUFFER_BIT);
    model.drawFrame(1);
    EXPECT_EQ(pixel(505, 105), white);
    EXPECT_EQ(pixel(303, 105), black);
}

TEST_F(ModelGLTest, Md2DrawPlaysTheAnimation) {
    ASSERT_TRUE(slidingTriangle().write("slide.md2"));
    MD2Model model("slide.md2");
    // One animation, "slide", frames 0-1: frame 0 blends toward frame 0
    // until the first step, then 0 blends toward 0 again (the wrap at end).
    model.update(0.5f);
    model.draw();
    EXPECT_EQ(model.getAnimation().getInterpolation(), 0.5f);
    EXPECT_EQ(pixel(105, 105), white);
    glClear(GL_COLOR_BUFFER_BIT);
    model.setAnimation("nothing");
    model.update(0.5f);
    model.draw();
    EXPECT_EQ(model.getAnimation().getInterpolation(), 1.0f);
    EXPECT_EQ(model.getAnimation().getCurrentAnimationName(), "slide");
    EXPECT_EQ(pixel(105, 105), white);
}

TEST_F(ModelGLTest, Md2SkinIsBoundAndOutOfRangeFramesDrawAndBindNothing) {
    ASSERT_TRUE(slidingTriangle().write("slide.md2"));
    MD2Model model("slide.md2");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(model.loadTexture("res/missing.tga"));
    ::testing::internal::GetCapturedStderr();
    model.setTexture("res/missing.tga");
    EXPECT_EQ(model.getCurrentSkin(), nullptr);

    ASSERT_TRUE(model.loadTexture("res/red.tga"));
    model.setTexture("res/red.tga");
    ASSERT_NE(model.getCurrentSkin(), nullptr);
    Texture2D* blueTexture = Texture2DManager::getInstance()->load("res/blue.tga");
    ASSERT_NE(blueTexture, nullptr);

    for (auto frames : {std::array<int, 2>{0, 2}, {2, 0}, {-1, 0}, {0, -1}}) {
        blueTexture->bind();
        model.drawFrames(frames[0], frames[1], 0.5f);
        EXPECT_EQ(boundTexture(), GLint(blueTexture->getTextureId()));
        EXPECT_EQ(pixel(105, 105), black);
        EXPECT_EQ(pixel(305, 105), black);
    }

    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    model.drawFrame(0);
    EXPECT_EQ(boundTexture(), GLint(model.getCurrentSkin()->getTextureId()));
    EXPECT_EQ(pixel(105, 105), red);
}
