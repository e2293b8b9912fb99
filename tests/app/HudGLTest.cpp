// The heads-up display read back from the window: shells, lines of text where
// and as they belong, and the state it leaves for the next frame's scene.

#include "app/Globals.h"
#include "app/Hud.h"
#include "app/Renderer.h"
#include "assets/Texture2DManager.h"
#include "core/ClockHighDef.h"
#include "support/Frame.h"
#include "support/GLContext.h"
#include "support/GameFont.h"
#include "world/Character.h"

#include <SDL_opengl.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

class HudGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        previousDir = std::filesystem::current_path();
        std::filesystem::current_path(MORROWFEN_GAME_DIR);
        ASSERT_NO_THROW(loadGameFont());
        keptShell = shellTexture;
        keptPoints = points;
        keptShowFps = showFps;
        shellTexture = nullptr;
        clear();
    }

    void TearDown() override {
        shellTexture = keptShell;
        points = keptPoints;
        showFps = keptShowFps;
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glBlendFunc(GL_ONE, GL_ZERO);
        std::filesystem::current_path(previousDir);
    }

    // A black window and the text state of a frame's first display.
    static void clear() {
        glDisable(GL_ALPHA_TEST);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // What the text looks like written straight through the font in red.
    static Frame printedInRed(float x, float y, const std::string& text) {
        clear();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(1.0f, 0.0f, 0.0f);
        print(font, x, y, "%s", text.c_str());
        return readFrame();
    }

    static int lit(const Frame& f, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                n += f.brightness(x, y) > 0;
            }
        }
        return n;
    }

    std::filesystem::path previousDir;
    Texture2D* keptShell = nullptr;
    int keptPoints = 0;
    bool keptShowFps = false;
};

} // namespace

TEST_F(HudGLTest, OneShellPerRoundFromTheLeftEdge) {
    // Without the shell picture each shell is a white block, so its edges
    // can be read exactly.
    for (int rounds : {0, 1, 8}) {
        clear();
        drawWeaponInfo(rounds, 3, "Pistol");
        const Frame f = readFrame();
        const int right = rounds > 0 ? 33 * (rounds - 1) + 54 : 0; // 285 for 8
        for (int y : {0, 35, 69}) {
            for (int x = 0; x < 600; ++x) {
                const bool white = f.brightness(x, y) == 3 * 255;
                ASSERT_EQ(white, x < right) << rounds << " rounds at (" << x << ", " << y << ")";
            }
        }
        EXPECT_EQ(lit(f, 0, 70, 600, 74), 0) << rounds << " rounds: shells 70 high";
        EXPECT_EQ(lit(f, right, 0, 1024, 70), 0) << rounds;
    }
    // Nothing was fetched on the display's behalf.
    EXPECT_EQ(Texture2DManager::getInstance()->find("res/shell.tga"), nullptr);
}

TEST_F(HudGLTest, ShellPictureCutByTheAlphaTest) {
    shellTexture = Texture2DManager::getInstance()->load("res/shell.tga");
    ASSERT_NE(shellTexture, nullptr);
    drawWeaponInfo(7, 3, "Pistol");
    const Frame seven = readFrame();
    clear();
    drawWeaponInfo(8, 3, "Pistol");
    const Frame eight = readFrame();
    // The eighth shell adds pixels only within x = 231 .. 284, some of them
    // right of the seventh's end at 252.
    int added = 0, addedRightOfSeventh = 0, outside = 0;
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            if (seven.brightness(x, y) != eight.brightness(x, y)) {
                const bool inside = x >= 231 && x < 285 && y < 70;
                ++added;
                addedRightOfSeventh += inside && x >= 252;
                outside += !inside;
            }
        }
    }
    EXPECT_GT(addedRightOfSeventh, 200);
    EXPECT_EQ(outside, 0) << "of " << added;
    // The picture, not a white block: its see-through sides stay black.
    const int shown = lit(eight, 231, 0, 285, 70);
    EXPECT_GT(shown, 500);
    EXPECT_LT(shown, 54 * 70 * 9 / 10);
}

TEST_F(HudGLTest, LinesReadAsTheirFormatsInRedWhereTheyBelong) {
    struct Line {
        float x, y;
        const char* text;
    };
    struct Case {
        const char* what;
        std::function<void()> draw;
        std::vector<Line> lines; // the same pixels as these, printed in red
    };
    const Case cases[] = {
        {"weapon", [] { drawWeaponInfo(0, 3, "Pistol"); }, {{10, 100, "Pistol"}, {10, 80, "x 3"}}},
        {"name kept as it is",
         [] { drawWeaponInfo(0, 12, "Shot%dgun%s"); },
         {{10, 100, "Shot%dgun%s"}, {10, 80, "x 12"}}},
        {"health", [] { drawHealth(73.6f, 100.0f); }, {{750, 740, "Health: 74 / 100"}}},
        {"health used up", [] { drawHealth(-2.0f, 100.0f); }, {{750, 740, "Health: 0 / 100"}}},
        {"health just under nothing",
         [] { drawHealth(-0.4f, 100.0f); },
         {{750, 740, "Health: 0 / 100"}}},
        {"score",
         [] {
             points = 120;
             drawPoints();
         },
         {{20, 740, "Points: 120"}}},
        {"frame rate", [] { drawFps(60.0f); }, {{20, 700, "FPS: 60.000000"}}},
    };
    for (const Case& c : cases) {
        clear();
        glColor3f(1.0f, 0.0f, 0.0f);
        for (const Line& l : c.lines) {
            print(font, l.x, l.y, "%s", l.text);
        }
        const Frame expected = readFrame();
        ASSERT_GT(lit(expected, 0, 0, 1024, 768), 100) << c.what;

        clear();
        c.draw();
        const Frame f = readFrame();
        EXPECT_TRUE(f.rgb == expected.rgb) << c.what;
        int notRed = 0;
        for (size_t i = 0; i < f.rgb.size(); i += 3) {
            notRed += f.rgb[i + 1] != 0 || f.rgb[i + 2] != 0;
        }
        EXPECT_EQ(notRed, 0) << c.what;
    }
}

TEST_F(HudGLTest, FrameRateLineOnlyWhileSwitchedOn) {
    fps = 60.0f;
    for (bool on : {false, true}) {
        showFps = on;
        clear();
        drawHud("Pistol", 12, 3, 100.0f, 100.0f);
        const Frame f = readFrame();
        // Its line stands between the score's baseline at 740 and its own at 700.
        EXPECT_EQ(lit(f, 0, 698, 1024, 730) > 100, on);
        EXPECT_GT(lit(f, 0, 740, 400, 768), 100) << "score";
        EXPECT_GT(lit(f, 700, 740, 1024, 768), 100) << "health";
        EXPECT_GT(lit(f, 0, 0, 500, 70), 12 * 33 * 70) << "shells";
    }
    fps = 0.0f;
}

TEST_F(HudGLTest, LeavesItsStateToTheNextFrame) {
    Texture2D* pictures[] = {nullptr, Texture2DManager::getInstance()->load("res/shell.tga")};
    ASSERT_NE(pictures[1], nullptr);
    for (Texture2D* picture : pictures) {
        shellTexture = picture;
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glMatrixMode(GL_PROJECTION);
        glOrtho(-1, 1, -1, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(5.0f, 6.0f, 7.0f);
        showFps = true;
        drawHud("Pistol", 3, 3, 50.0f, 100.0f);

        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
        GLint func = 0;
        GLfloat ref = 0.0f;
        glGetIntegerv(GL_ALPHA_TEST_FUNC, &func);
        glGetFloatv(GL_ALPHA_TEST_REF, &ref);
        EXPECT_EQ(func, GL_GREATER);
        EXPECT_FLOAT_EQ(ref, 0.9f);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[0], 1.0f);
        EXPECT_FLOAT_EQ(colour[1], 0.0f);
        EXPECT_FLOAT_EQ(colour[2], 0.0f);
        // Window pixels, bottom left at the origin, in place of the scene's
        // perspective; no view transform.
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        GLfloat m[16];
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        EXPECT_FLOAT_EQ(m[0], 2.0f / 1024);
        EXPECT_FLOAT_EQ(m[5], 2.0f / 768);
        EXPECT_FLOAT_EQ(m[12], -1.0f);
        EXPECT_FLOAT_EQ(m[13], -1.0f);
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        for (int i = 0; i < 16; ++i) {
            EXPECT_FLOAT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(HudGLTest, FrameEndsWithTheDisplayOfTheFiguresGunInHand) {
    // Without a camera the frame draws no field; the display still comes last.
    Camera* keptCamera = camera;
    camera = nullptr;
    if (Quillmere::getClock() == nullptr) {
        Quillmere::setClock(new Quillmere::ClockHighDef());
    }
    Character figure(Vector2(0.0f, -30.0f));
    figure.nextWeapon();
    player = &figure;
    drawFrame();
    const Frame f = readFrame();
    player = nullptr;
    camera = keptCamera;
    EXPECT_GT(lit(f, 0, 740, 400, 768), 100) << "score";
    // The shotgun's six shells, the sixth ending at x = 219.
    EXPECT_GT(lit(f, 0, 0, 219, 70), 100) << "shells";
    EXPECT_EQ(lit(f, 220, 0, 500, 70), 0) << "more shells than the shotgun holds";
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
}

TEST_F(HudGLTest, FilterSwitchesOnTheBoundGlyphLeaveEveryCharacterAsItWas) {
    if (Quillmere::getClock() == nullptr) {
        Quillmere::setClock(new Quillmere::ClockHighDef());
    }
    Camera* keptCamera = camera;
    camera = nullptr; // the display alone, over no field
    Character figure(Vector2(0.0f, -30.0f));
    player = &figure;
    showFps = true;
    fps = 60.0f;
    std::string characters;
    for (const char* line :
         {"Pistol", "Shotgun", "x 3", "Health: 100 / 100", "Points: 0", "FPS: 0123456789.0"}) {
        for (const char* c = line; *c != '\0'; ++c) {
            if (characters.find(*c) == std::string::npos) {
                characters += *c;
            }
        }
    }
    // Each character alone, as the display prints it from its second frame on.
    auto litOf = [](char c) {
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1.0f, 0.0f, 0.0f);
        print(font, 500, 400, "%c", c);
        return lit(readFrame(), 0, 0, 1024, 768);
    };
    drawFrame();
    drawFrame();
    const int firstDisplay = lit(readFrame(), 0, 0, 1024, 768);
    ASSERT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    std::vector<int> first;
    for (char c : characters) {
        first.push_back(litOf(c));
    }

    struct Switches {
        const char* what;
        bool magNearest, minNearest;
    };
    for (const Switches& s : {Switches{"neither", true, true}, Switches{"F4", false, true},
                              Switches{"F5", true, false}, Switches{"F4 and F5", false, false}}) {
        SCOPED_TRACE(s.what);
        magFilterNearest = s.magNearest;
        minFilterNearest = s.minNearest;
        // Each character in turn is the one the last frame drew last, whose
        // texture the next frame's switches act on; that frame prints again.
        for (char c : characters) {
            glBindTexture(GL_TEXTURE_2D, font.textures[static_cast<unsigned char>(c)]);
            drawFrame();
        }
        const Frame display = readFrame();
        if (!s.minNearest && s.magNearest) {
            display.save("hud_after_f5");
        }
        EXPECT_NEAR(lit(display, 0, 0, 1024, 768), firstDisplay, firstDisplay / 10);
        for (size_t i = 0; i < characters.size(); ++i) {
            EXPECT_NEAR(litOf(characters[i]), first[i], first[i] / 10)
                << "'" << characters[i] << "' drawn as a block";
        }
    }

    for (int c = 0; c < 128; ++c) {
        glBindTexture(GL_TEXTURE_2D, font.textures[c]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    magFilterNearest = minFilterNearest = true;
    player = nullptr;
    camera = keptCamera;
    fps = 0.0f;
}
