#include "GeneratedRes.h"

#include "assets/MD2Model.h"
#include "assets/MD2ModelData.h"
#include "assets/OBJModel.h"
#include "assets/Texture2D.h"
#include "assets/Texture2DManager.h"
#include "support/Frame.h"
#include "support/GLContext.h"
#include "world/Water.h"

#include <GL/glu.h>
#include <unistd.h>

#include <array>
#include <map>
#include <memory>
#include <set>

namespace {

// The game reads res/... from its own folder; so do these tests.
class GeneratedModelsGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        previous = here;
        ASSERT_EQ(chdir(MORROWFEN_GAME_DIR), 0);
    }
    void TearDown() override { EXPECT_EQ(chdir(previous.c_str()), 0); }

    // Loads a model and its skin as a world object does.
    static std::unique_ptr<MD2Model> figure(const std::string& base) {
        std::unique_ptr<MD2Model> m(new MD2Model("res/" + base + ".md2"));
        EXPECT_TRUE(m->loadTexture("res/" + base + ".tga")) << base;
        m->setTexture("res/" + base + ".tga");
        return m;
    }

    // A blue window seen through the game's lens from eye towards target,
    // textures on and lighting off, so the skins show as painted.
    static void look(const float eye[3], const float target[3], const float up[3]) {
        glViewport(0, 0, 1024, 768);
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1024.0 / 768.0, 0.1, 600.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(eye[0], eye[1], eye[2], target[0], target[1], target[2], up[0], up[1], up[2]);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glColor3f(1, 1, 1);
    }

    // From 150 units away, 35 degrees down, onto a point 25 up.
    static void lookAtFigure() {
        const float eye[3] = {0, 25 + 86, -123}, target[3] = {0, 25, 0}, up[3] = {0, 1, 0};
        look(eye, target, up);
    }

    // The game's object transform for a figure at the origin, heading 0.
    static void placeFigure(float lift, float upScale = 1) {
        glTranslatef(0, lift, 0);
        glRotatef(90, 0, 1, 0);
        glRotatef(-90, 1, 0, 0);
        glScalef(1, 1, upScale);
    }

    std::string previous;
};

// How many of a frame's samples, one every 8 pixels each way, are not the
// blue of the empty view.
int coveredSamples(const Frame& frame) {
    int covered = 0;
    for (int y = 0; y < 768; y += 8) {
        for (int x = 0; x < 1024; x += 8) {
            covered += frame.at(x, y)[2] != 255 || frame.at(x, y)[0] != 0;
        }
    }
    return covered;
}

using Ranges = std::map<std::string, std::pair<int, int>>;

Ranges rangesOf(const MD2Model& m) {
    Ranges r;
    for (const auto& [name, anim] : m.getAnimation().getAnimations())
        r[name] = {anim.start, anim.end};
    return r;
}

} // namespace

TEST_F(GeneratedModelsGLTest, EveryFigureLoadsWithExactlyItsAnimations) {
    EXPECT_EQ(rangesOf(*figure("character")), (Ranges{{"sas", {0, 15}}}));
    EXPECT_EQ(
        rangesOf(*figure("zombie")),
        (Ranges{
            {"crwalk", {0, 8}}, {"run", {9, 15}}, {"crattack", {16, 22}}, {"death", {23, 29}}}));
    EXPECT_EQ(rangesOf(*figure("GraveStone")), (Ranges{{"stand", {0, 0}}}));
    EXPECT_EQ(rangesOf(*figure("banana")), (Ranges{{"sway", {0, 12}}}));
    EXPECT_EQ(rangesOf(*figure("weapon")), (Ranges{{"stand", {0, 1}}}));
    EXPECT_EQ(rangesOf(*figure("shotgun")), (Ranges{{"stand", {0, 1}}}));
    // Each selects the animation its owner asks for.
    auto zombie = figure("zombie");
    for (const char* name : {"crwalk", "run", "crattack", "death"}) {
        zombie->setAnimation(name);
        EXPECT_EQ(zombie->getAnimation().getCurrentAnimationName(), name);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GeneratedModelsGLTest, FiguresDrawWithTheirSkins) {
    struct Case {
        const char* name;
        float lift, upScale;
    };
    for (Case c : {Case{"character", 10, 1}, Case{"zombie", 23, 1}, Case{"GraveStone", 0, 0.75f},
                   Case{"banana", 0, 1.3f}}) {
        SCOPED_TRACE(c.name);
        auto m = figure(c.name);
        lookAtFigure();
        glPushMatrix();
        placeFigure(c.lift, c.upScale);
        m->drawFrames(0, 0, 0);
        glPopMatrix();
        // The skinned figure covers the middle of the view, painted in many
        // shades, not one flat colour.
        int covered = 0;
        std::set<int> shades;
        for (int x = 412; x < 612; x += 8) {
            for (int y = 284; y < 484; y += 8) {
                auto p = readPixel(x, y);
                if (p[0] == 0 && p[1] == 0 && p[2] == 255)
                    continue;
                ++covered;
                shades.insert(p[0] << 16 | p[1] << 8 | p[2]);
            }
        }
        EXPECT_GT(covered, 30);
        EXPECT_GT(shades.size(), 20u);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GeneratedModelsGLTest, SceneryLoadsWithItsMaterialsAndTextures) {
    for (const char* name : {"res/grassPlane.obj", "res/fence.obj"}) {
        SCOPED_TRACE(name);
        OBJModel model;
        ASSERT_TRUE(model.load(name, false));
        const auto& data = model.getData();
        EXPECT_TRUE(data.getHasPositions());
        EXPECT_TRUE(data.getHasTextureCoords());
        EXPECT_TRUE(data.getHasNormals());
        ASSERT_FALSE(data.getMaterials().empty());
        for (const auto& material : data.getMaterials()) {
            EXPECT_NE(material.name, "default");
            ASSERT_FALSE(material.colorMapFileName.empty()) << material.name;
            EXPECT_NE(Texture2DManager::getInstance()->load("res/" + material.colorMapFileName),
                      nullptr)
                << material.colorMapFileName;
        }
        EXPECT_GT(data.getNumberOfTriangles(), 0);
    }
    // The field seen from above: grass green at the middle of the window.
    OBJModel grass;
    ASSERT_TRUE(grass.load("res/grassPlane.obj", false));
    const float eye[3] = {0, 200, 0}, target[3] = {0, 0, 0}, north[3] = {0, 0, -1};
    look(eye, target, north);
    grass.draw();
    // On average over the middle of the window: grass is green.
    long sum[3] = {0, 0, 0};
    for (int x = 312; x < 712; x += 10) {
        for (int y = 184; y < 584; y += 10) {
            auto p = readPixel(x, y);
            for (int k = 0; k < 3; ++k)
                sum[k] += p[k];
        }
    }
    EXPECT_GT(sum[1], sum[0] * 11 / 10);
    EXPECT_GT(sum[1], sum[2] * 3 / 2);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GeneratedModelsGLTest, EveryPictureBecomesATextureThroughTheCache) {
    for (const char* name :
         {"res/shell.tga", "res/water.tga", "res/Particle.tga", "res/grass.tga",
          "res/fencePost.tga", "res/fenceRail.tga", "res/character.tga", "res/zombie.tga",
          "res/GraveStone.tga", "res/banana.tga", "res/weapon.tga", "res/shotgun.tga"}) {
        Texture2D* texture = Texture2DManager::getInstance()->load(name);
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_FALSE(texture->failed()) << name;
        texture->bind();
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_GE(width, 64) << name;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Drawn by index from corners blended once each, a figure is the very
// picture it is when every triangle corner is blended and sent by hand:
// lit, textured, halfway between two keyframes. What is left current after
// it, the last corner's normal and coordinate, is the same too.
TEST_F(GeneratedModelsGLTest, IndexedFiguresMatchCornerByCornerDrawing) {
    const GLfloat light[4] = {0.3f, 1.0f, -0.5f, 0.0f};
    auto draw = [&](const MD2Model& m, const MD2ModelData& data, bool byHand) {
        lookAtFigure();
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glLightfv(GL_LIGHT0, GL_POSITION, light);
        glPushMatrix();
        placeFigure(10);
        if (!byHand) {
            const_cast<MD2Model&>(m).drawFrames(1, 2, 0.37f);
        } else {
            const MD2Frame& a = data.getFrames()[1];
            const MD2Frame& b = data.getFrames()[2];
            glBegin(GL_TRIANGLES);
            for (const MD2Triangle& triangle : data.getTriangles()) {
                for (int k = 0; k < 3; ++k) {
                    GLfloat texCoord[2], normal[3], position[3];
                    data.blendCorner(a, b, triangle, k, 0.37f, texCoord, normal, position);
                    glTexCoord2fv(texCoord);
                    glNormal3fv(normal);
                    glVertex3fv(position);
                }
            }
            glEnd();
        }
        glPopMatrix();
        glDisable(GL_LIGHT0);
        std::array<GLfloat, 8> current{};
        glGetFloatv(GL_CURRENT_NORMAL, current.data());
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current.data() + 3);
        return std::make_pair(readFrame(), current);
    };
    // The grave stone has one keyframe only.
    for (const char* name : {"character", "zombie", "banana"}) {
        SCOPED_TRACE(name);
        auto m = figure(name);
        const MD2ModelData data("res/" + std::string(name) + ".md2");
        ASSERT_GT(data.getFrames().size(), 2u);
        EXPECT_LT(data.getCorners().size(), data.getTriangles().size() * 3);
        const auto indexed = draw(*m, data, false);
        const auto byHand = draw(*m, data, true);
        int covered = 0;
        for (int y = 0; y < 768; y += 4) {
            for (int x = 0; x < 1024; x += 4) {
                covered += indexed.first.at(x, y)[2] != 255;
            }
        }
        EXPECT_GT(covered, 300) << "the figure is in view";
        EXPECT_TRUE(indexed.first.rgb == byHand.first.rgb) << "the pictures differ";
        EXPECT_EQ(indexed.second, byHand.second);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The water drawn by index is the picture it is quad by quad, corner by
// corner, over frames on which its waves roll and on which they do not; the
// last corner's coordinate is left current either way.
TEST_F(GeneratedModelsGLTest, IndexedWaterMatchesQuadByQuadDrawing) {
    Water water;
    water.loadTexture();
    ASSERT_NE(water.getTexture(), nullptr);
    // From above the pond's middle, the water's own transform.
    const float eye[3] = {-505, 420, 545}, target[3] = {-505, 0, 545}, north[3] = {0, 0, -1};
    auto byHand = [&] {
        look(eye, target, north);
        water.getTexture()->bind();
        glPushMatrix();
        glScalef(50, 50, 50);
        glTranslatef(-10, 0, 11);
        glRotatef(90, 1, 0, 0);
        const float o = water.getTextureOffset();
        const int last = Water::GRID_SIZE - 1;
        glBegin(GL_QUADS);
        for (int i = 0; i < last; ++i) {
            for (int j = 0; j < last; ++j) {
                for (auto [di, dj] : {std::pair{0, 0}, {0, 1}, {1, 1}, {1, 0}}) {
                    glTexCoord2f((i + di) / 44.0f + o, (j + dj) / 44.0f + o);
                    glVertex3fv(water.getGridPoint(i + di, j + dj));
                }
            }
        }
        glEnd();
        glPopMatrix();
    };
    auto current = [] {
        std::array<GLfloat, 4> texCoord{};
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord.data());
        return texCoord;
    };
    for (int frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE(frame);
        byHand();
        const Frame expected = readFrame();
        const auto expectedCoord = current();
        look(eye, target, north);
        glTexCoord2f(-1, -1);
        water.draw();
        const Frame drawn = readFrame();
        EXPECT_GT(coveredSamples(drawn), 3000) << "the water fills the view";
        EXPECT_TRUE(drawn.rgb == expected.rgb) << "the pictures differ";
        EXPECT_EQ(current(), expectedCoord);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The scenery drawn in pieces is the picture one draw of each mesh makes.
TEST_F(GeneratedModelsGLTest, SceneryInPiecesMatchesOneDrawPerMesh) {
    const GLfloat light[4] = {0.3f, 1.0f, -0.5f, 0.0f};
    struct Case {
        const char* name;
        float eye[3], target[3], up[3];
    };
    // The field from above, and a fence segment from its side.
    for (const Case& c : {Case{"res/grassPlane.obj", {0, 200, 0}, {0, 0, 0}, {0, 0, -1}},
                          Case{"res/fence.obj", {150, 40, -123}, {0, 20, -123}, {0, 1, 0}}}) {
        SCOPED_TRACE(c.name);
        OBJModel model;
        ASSERT_TRUE(model.load(c.name, false));
        const OBJModelData& data = model.getData();
        auto lit = [&] {
            look(c.eye, c.target, c.up);
            glEnable(GL_LIGHTING);
            glEnable(GL_LIGHT0);
            glLightfv(GL_LIGHT0, GL_POSITION, light);
        };
        lit();
        model.draw();
        const Frame inPieces = readFrame();
        lit();
        const GLsizei stride = sizeof(OBJModel::Vertex);
        const OBJModel::Vertex& first = data.getVertexBuffer().at(0);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glVertexPointer(3, GL_FLOAT, stride, first.position);
        glTexCoordPointer(2, GL_FLOAT, stride, first.texCoord);
        glNormalPointer(GL_FLOAT, stride, first.normal);
        for (const OBJModel::Mesh& mesh : data.getMeshes()) {
            const OBJModel::Material& m = *mesh.material;
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambient);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuse);
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m.specular);
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.shininess * 128.0f);
            Texture2DManager::getInstance()->load("res/" + m.colorMapFileName)->bind();
            glDrawElements(GL_TRIANGLES, 3 * mesh.triangleCount, GL_UNSIGNED_INT,
                           data.getIndexBuffer().data() + mesh.startIndex);
        }
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        const Frame oneDraw = readFrame();
        glDisable(GL_LIGHT0);
        glDisable(GL_LIGHTING);
        EXPECT_GT(coveredSamples(inPieces), 500) << "the model is in view";
        EXPECT_TRUE(inPieces.rgb == oneDraw.rgb) << "the pictures differ";
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
