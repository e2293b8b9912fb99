// The font's glyphs against FreeType's own rendering of the same file, and
// printed text read back from the window.

#include "app/Globals.h"
#include "support/Frame.h"
#include "support/GLContext.h"
#include "support/GameFont.h"
#include "support/TestFiles.h"
#include "text_sound/Font.h"

#include <SDL_opengl.h>

#include <GL/glu.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The same face rendered straight by FreeType, at the game's size.
class ReferenceFace {
public:
    ReferenceFace() {
        if (FT_Init_FreeType(&library) != 0 ||
            FT_New_Face(library, gameFontFile().c_str(), 0, &face) != 0) {
            throw std::runtime_error("cannot open " + gameFontFile());
        }
        FT_Set_Char_Size(face, 20 * 64, 20 * 64, 96, 96);
    }
    ~ReferenceFace() {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    ReferenceFace(const ReferenceFace&) = delete;
    ReferenceFace& operator=(const ReferenceFace&) = delete;

    FT_GlyphSlot render(unsigned char c) {
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) {
            throw std::runtime_error("FreeType cannot render " + std::to_string(c));
        }
        return face->glyph;
    }
    int advance(unsigned char c) { return static_cast<int>(render(c)->advance.x >> 6); }

private:
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

class FontGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        ASSERT_NO_THROW(loadGameFont());
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_FOG);
        glColor3f(1.0f, 1.0f, 1.0f);
    }

    static Frame printed(float x, float y, const std::string& text) {
        glClear(GL_COLOR_BUFFER_BIT);
        print(font, x, y, "%s", text.c_str());
        return readFrame();
    }

    static int litPixels(const Frame& f) {
        int lit = 0;
        for (int y = 0; y < 768; ++y) {
            for (int x = 0; x < 1024; ++x) {
                lit += f.brightness(x, y) > 0;
            }
        }
        return lit;
    }

    // Extent of the lit pixels in rows y0 .. y1 - 1.
    struct Box {
        int left = 1024, right = -1, bottom = 768, top = -1;
    };
    static Box litBox(const Frame& f, int y0, int y1) {
        Box b;
        for (int y = y0; y < y1; ++y) {
            for (int x = 0; x < 1024; ++x) {
                if (f.brightness(x, y) > 0) {
                    b.left = std::min(b.left, x);
                    b.right = std::max(b.right, x);
                    b.bottom = std::min(b.bottom, y);
                    b.top = std::max(b.top, y);
                }
            }
        }
        return b;
    }

    // Height of the lit pixels' centre of brightness in rows y0 .. y1 - 1.
    static double centreHeight(const Frame& f, int y0, int y1) {
        double weight = 0, sum = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = 0; x < 1024; ++x) {
                weight += f.at(x, y)[0];
                sum += f.at(x, y)[0] * (y + 0.5);
            }
        }
        return sum / weight;
    }

    ReferenceFace reference;
};

} // namespace

TEST(NextPowerOfTwoTest, SmallestPowerAtOrAbove) {
    const int cases[][2] = {{-5, 1},  {0, 1},       {1, 1},
                            {2, 2},   {3, 4},       {16, 16},
                            {17, 32}, {1000, 1024}, {1 << 30, 1 << 30}};
    for (const auto& c : cases) {
        EXPECT_EQ(nextPowerOfTwo(c[0]), c[1]) << c[0];
    }
}

TEST_F(FontGLTest, GlyphTexturesHoldFreeTypesBitmapsPaddedWithZeros) {
    ASSERT_NE(font.textures, nullptr);
    EXPECT_FLOAT_EQ(font.height, 20.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int c = 0; c < 128; ++c) {
        const FT_Bitmap& bitmap = reference.render(static_cast<unsigned char>(c))->bitmap;
        const int width = static_cast<int>(bitmap.width);
        const int rows = static_cast<int>(bitmap.rows);
        glBindTexture(GL_TEXTURE_2D, font.textures[c]);
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        // The smallest powers of two that hold the bitmap.
        for (auto [side, need] : {std::pair<int, int>{w, width}, {h, rows}}) {
            EXPECT_EQ(side & (side - 1), 0) << c;
            EXPECT_GE(side, need) << c;
            EXPECT_TRUE(side == 1 || side / 2 < need) << c << ": " << side << " for " << need;
        }
        std::vector<unsigned char> texels(static_cast<size_t>(w) * h * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        int wrong = 0;
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                const int expected =
                    i < width && j < rows ? bitmap.buffer[j * bitmap.pitch + i] : 0;
                for (int k = 0; k < 4; ++k) {
                    wrong += texels[(j * w + i) * 4 + k] != expected;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << "character " << c;
        GLint filter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
        EXPECT_EQ(filter, GL_LINEAR);
        EXPECT_TRUE(glIsList(font.listBase + c)) << c;
    }
}

TEST_F(FontGLTest, SpaceIsAnEmptyGlyphThatMovesThePen) {
    const Frame joined = printed(10, 100, "AB");
    const Frame spaced = printed(10, 100, "A B");
    ASSERT_GT(litPixels(joined), 100);
    EXPECT_EQ(litPixels(joined), litPixels(spaced));
    EXPECT_EQ(litBox(spaced, 0, 768).right - litBox(joined, 0, 768).right, reference.advance(' '));
    EXPECT_EQ(litPixels(printed(10, 100, " ")), 0);
}

TEST_F(FontGLTest, TextsThatDrawTheSame) {
    std::string high;
    for (int c = 128; c < 256; ++c) {
        high += static_cast<char>(c);
    }
    struct Case {
        std::string text, same;
    };
    const Case cases[] = {
        {"A\n", "A"},             // the empty last line draws nothing
        {high + "A" + high, "A"}, // no lists above 127: nothing drawn, the pen stays
    };
    for (int c = 128; c < 256; ++c) {
        ASSERT_FALSE(glIsList(font.listBase + c)) << c;
    }
    for (const Case& c : cases) {
        const Frame expected = printed(10, 100, c.same);
        ASSERT_GT(litPixels(expected), 50);
        EXPECT_TRUE(printed(10, 100, c.text).rgb == expected.rgb) << c.text;
    }
    glClear(GL_COLOR_BUFFER_BIT);
    const char* none = nullptr;
    print(font, 10, 100, none, 0);
    EXPECT_EQ(litPixels(readFrame()), 0);
}

TEST_F(FontGLTest, LinesStartAtTheBaselineOneLineHeightApart) {
    const Frame f = printed(10, 100, "A\nA");
    // The first line is FreeType's bitmap placed at its bearing from (10, 100).
    const FT_GlyphSlot a = reference.render('A');
    const FT_Bitmap& bitmap = a->bitmap;
    int wrong = 0;
    for (int j = -2; j < static_cast<int>(bitmap.rows) + 2; ++j) {
        for (int i = -2; i < static_cast<int>(bitmap.width) + 2; ++i) {
            const bool inside = i >= 0 && j >= 0 && i < static_cast<int>(bitmap.width) &&
                                j < static_cast<int>(bitmap.rows);
            const int coverage = inside ? bitmap.buffer[j * bitmap.pitch + i] : 0;
            const int lit = f.at(10 + a->bitmap_left + i, 100 + a->bitmap_top - 1 - j)[0];
            wrong += (coverage == 0 && lit != 0) || (coverage >= 64 && lit == 0);
        }
    }
    EXPECT_EQ(wrong, 0);
    const Box first = litBox(f, 94, 768);
    const Box second = litBox(f, 0, 94);
    EXPECT_EQ(first.bottom, 100);
    EXPECT_EQ(first.left, 10 + a->bitmap_left);
    EXPECT_EQ(second.left, first.left);
    EXPECT_NEAR(centreHeight(f, 94, 768) - centreHeight(f, 0, 94), 20.0 / 0.63, 0.1);
}

TEST_F(FontGLTest, LongTextIsCutAt255Characters) {
    // 254 spaces, then "A" as the 255th character and 745 "B"s that must be
    // cut; the spaces carry the "A" from far off screen to x = 10.
    const std::string text = std::string(254, ' ') + "A" + std::string(745, 'B');
    const float x = 10.0f - 254.0f * reference.advance(' ');
    const Frame expected = printed(10, 100, "A");
    EXPECT_TRUE(printed(x, 100, text).rgb == expected.rgb);
}

TEST_F(FontGLTest, PrintRestoresStateButTheBlendFunction) {
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    glListBase(7);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(3.0f, 4.0f, 5.0f);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-1, 1, -1, 1, -10, 10);
    GLfloat modelview[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);

    print(font, 10, 100, "state %d\nkept", 1);

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    GLint value = 0;
    glGetIntegerv(GL_LIST_BASE, &value);
    EXPECT_EQ(value, 7);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_PROJECTION);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.25f);
    EXPECT_FLOAT_EQ(colour[1], 0.5f);
    EXPECT_FLOAT_EQ(colour[2], 0.75f);
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(after, after + 16, modelview));
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_TRUE(std::equal(after, after + 16, projection));
    for (GLenum depth : {GL_MODELVIEW_STACK_DEPTH, GL_PROJECTION_STACK_DEPTH}) {
        glGetIntegerv(depth, &value);
        EXPECT_EQ(value, 1);
    }
    // The one thing left behind.
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glListBase(0);
}

TEST_F(FontGLTest, FilesThatAreNoFontAreRefusedWithTheirStep) {
    const std::string dir = makeTestScratchDir("fonts");
    std::vector<unsigned char> real = readFile(gameFontFile());
    writeFile(dir + "/empty.ttf", std::vector<unsigned char>());
    writeFile(dir + "/text.ttf", "not a font\n");
    writeFile(dir + "/cut.ttf", std::vector<unsigned char>(real.begin(), real.begin() + 2000));
    const std::string notAFont =
        "FT_New_Face failed (there is probably a problem with your font file)";
    const std::pair<std::string, std::string> cases[] = {
        {dir + "/missing.ttf", notAFont},
        {dir + "/empty.ttf", notAFont},
        {dir + "/text.ttf", notAFont},
        {dir + "/cut.ttf", notAFont},
    };
    for (const auto& [file, message] : cases) {
        Font broken;
        try {
            broken.init(file.c_str(), 20);
            ADD_FAILURE() << file << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), message) << file;
        }
    }
}

TEST_F(FontGLTest, BitmapFontOfOneBitPerPixelIsRefused) {
    // An 8 x 8 hollow square as "A", one bit per pixel: FreeType hands such
    // a glyph over as it is, with rows of one byte for eight pixels.
    const std::string file = makeTestScratchDir("fonts") + "/square.bdf";
    writeFile(file, "STARTFONT 2.1\n"
                    "FONT -test-square-medium-r-normal--8-80-75-75-c-80-iso10646-1\n"
                    "SIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 0\n"
                    "STARTPROPERTIES 4\nFONT_ASCENT 8\nFONT_DESCENT 0\n"
                    "CHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\nENDPROPERTIES\n"
                    "CHARS 1\nSTARTCHAR A\nENCODING 65\nSWIDTH 1000 0\nDWIDTH 8 0\nBBX 8 8 0 0\n"
                    "BITMAP\nFF\n81\n81\n81\n81\n81\n81\nFF\nENDCHAR\nENDFONT\n");
    FT_Library library;
    FT_Face face;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, file.c_str(), 0, &face), 0) << "FreeType without BDF?";
    ASSERT_EQ(FT_Select_Size(face, 0), 0);
    GLuint textures[128] = {};
    glGenTextures(128, textures);
    const GLuint lists = glGenLists(128);
    try {
        buildGlyph(face, 'A', lists, textures);
        ADD_FAILURE() << "a one-bit glyph was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "FT_Glyph_To_Bitmap failed (not a bitmap of one byte per pixel)");
    }
    EXPECT_THROW(buildGlyph(face, static_cast<char>(200), lists, textures), std::invalid_argument);
    glDeleteLists(lists, 128);
    glDeleteTextures(128, textures);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
