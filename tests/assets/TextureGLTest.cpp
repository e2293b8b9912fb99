#include "assets/Image.h"
#include "assets/ImageTGA.h"
#include "assets/Texture2D.h"
#include "assets/Texture2DManager.h"
#include "support/GLContext.h"
#include "support/GlewFlags.h"
#include "support/TestFiles.h"

#include "ImageBytes.h"

#include <GL/glu.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

using Rgb = std::array<int, 3>;

// R,G,B of every pixel, bottom row first.
template <class Colour> Bytes rgbRows(int width, int height, Colour colour) {
    Bytes b;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb c = colour(x, y);
            for (int channel : c) {
                b.push_back(static_cast<unsigned char>(channel));
            }
        }
    }
    return b;
}

// A 24-bit TGA whose pixel (x, y), y counted from the bottom row, is
// R,G,B = colour(x, y).
template <class Colour> Bytes trueColourTga(int width, int height, Colour colour) {
    Bytes b = tgaHeader(tgaOf(2, width, height, 24));
    Bytes rgb = rgbRows(width, height, colour);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        b.insert(b.end(), {rgb[i + 2], rgb[i + 1], rgb[i]});
    }
    return b;
}

Bytes uniformTga(int width, int height) {
    return trueColourTga(width, height, [](int, int) { return Rgb{40, 80, 120}; });
}

struct Level {
    int width;
    int height;
};

std::vector<Level> mipmapLevels() {
    std::vector<Level> levels;
    for (int level = 0; level < 20; ++level) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        if (w == 0) {
            break;
        }
        levels.push_back({w, h});
    }
    return levels;
}

// Each level halves the one above, down to 1 x 1.
void expectFullChain(const std::vector<Level>& levels, int width, int height) {
    ASSERT_FALSE(levels.empty());
    EXPECT_EQ(levels[0].width, width);
    EXPECT_EQ(levels[0].height, height);
    for (size_t i = 1; i < levels.size(); ++i) {
        EXPECT_EQ(levels[i].width, std::max(1, levels[i - 1].width / 2)) << "level " << i;
        EXPECT_EQ(levels[i].height, std::max(1, levels[i - 1].height / 2)) << "level " << i;
    }
    EXPECT_EQ(levels.back().width, 1);
    EXPECT_EQ(levels.back().height, 1);
}

Bytes levelTexels(int level, int width, int height) {
    Bytes texels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return texels;
}

class TextureGLTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        dir = makeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    std::string file(const std::string& name, const Bytes& bytes) {
        std::string path = dir + "/" + name;
        writeFile(path, bytes);
        return path;
    }

    // Builds a texture and returns what it wrote to standard error.
    std::string build(const std::string& path, std::unique_ptr<Texture2D>* texture, int flags = 0) {
        ::testing::internal::CaptureStderr();
        texture->reset(new Texture2D(path, flags));
        return ::testing::internal::GetCapturedStderr();
    }

    static std::string errorLines(const std::string& path, const std::string& reason) {
        return "Error: Couldn't create texture 2D from " + path + "\nReason: " + reason + "\n";
    }

    std::string dir;
};

} // namespace

TEST_F(TextureGLTest, PowerOfTwoAndOtherSidesUploadWithFullMipmapChains) {
    auto pattern = [](int x, int y) { return Rgb{x & 0xFF, y & 0xFF, (x ^ y) & 0xFF}; };
    std::string square = file("pow2.tga", trueColourTga(256, 128, pattern));
    std::string odd = file("npot.tga", uniformTga(100, 60));

    for (bool driverMipmaps : {false, true}) {
        SCOPED_TRACE(driverMipmaps ? "driver builds mipmaps" : "GLU builds mipmaps");
        ScopedGlewFlag flag(ScopedGlewFlag::GenerateMipmap, driverMipmaps);

        std::unique_ptr<Texture2D> texture;
        EXPECT_EQ(build(square, &texture), "");
        ASSERT_FALSE(texture->failed());
        EXPECT_EQ(texture->getName(), square);
        EXPECT_TRUE(glIsTexture(texture->getTextureId()));
        texture->bind();
        expectFullChain(mipmapLevels(), 256, 128);
        // Level 0 is the file's pixels, bottom row first like OpenGL's.
        EXPECT_EQ(levelTexels(0, 256, 128), rgbRows(256, 128, pattern));

        // Sides that are not powers of two are rescaled to ones that are.
        std::unique_ptr<Texture2D> other;
        EXPECT_EQ(build(odd, &other), "");
        ASSERT_FALSE(other->failed());
        other->bind();
        std::vector<Level> levels = mipmapLevels();
        ASSERT_FALSE(levels.empty());
        for (int side : {levels[0].width, levels[0].height}) {
            EXPECT_EQ(side & (side - 1), 0) << side << " is no power of two";
        }
        expectFullChain(levels, levels[0].width, levels[0].height);
        Bytes top = levelTexels(static_cast<int>(levels.size()) - 1, 1, 1);
        EXPECT_NEAR(top[0], 40, 1);
        EXPECT_NEAR(top[1], 80, 1);
        EXPECT_NEAR(top[2], 120, 1);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(TextureGLTest, RowsOfAnyByteLengthUploadUnshiftedAndPixelStoreIsKept) {
    // 2 x 2 RGB rows are 6 bytes long: with OpenGL's default alignment of 4
    // the second row would be read from byte 8.
    auto colour = [](int x, int y) { return Rgb{10 + x, 20 + y, 30 + x + y}; };
    std::string path = file("narrow.tga", trueColourTga(2, 2, colour));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    std::unique_ptr<Texture2D> texture;
    EXPECT_EQ(build(path, &texture), "");
    ASSERT_FALSE(texture->failed());
    texture->bind();
    EXPECT_EQ(levelTexels(0, 2, 2), (Bytes{10, 20, 30, 11, 20, 31, 10, 21, 31, 11, 21, 32}));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 8);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

TEST_F(TextureGLTest, PcxFilesUploadToo) {
    // 2 x 2, 24-bit planes, top scan line first.
    Bytes pcx = pcxHeader(pcxOf(8, 3, 2, 2)) + Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::unique_ptr<Texture2D> texture;
    EXPECT_EQ(build(file("planes.pcx", pcx), &texture), "");
    ASSERT_FALSE(texture->failed());
    texture->bind();
    EXPECT_EQ(levelTexels(0, 2, 2), (Bytes{7, 9, 11, 8, 10, 12, 1, 3, 5, 2, 4, 6}));
}

TEST_F(TextureGLTest, DrawnTextureShowsTheBottomRowAtTheBottom) {
    // Red bottom-left, green bottom-right, blue top-left, white top-right.
    auto colour = [](int x, int y) {
        static const Rgb c[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        return c[y * 2 + x];
    };
    std::unique_ptr<Texture2D> texture;
    EXPECT_EQ(build(file("quads.tga", trueColourTga(2, 2, colour)), &texture), "");
    ASSERT_FALSE(texture->failed());
    texture->bind();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(1, 0);
    glVertex2f(1, -1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    auto rgb = [](std::array<unsigned char, 4> p) { return Bytes{p[0], p[1], p[2]}; };
    EXPECT_EQ(rgb(readPixel(100, 100)), (Bytes{255, 0, 0}));
    EXPECT_EQ(rgb(readPixel(900, 100)), (Bytes{0, 255, 0}));
    EXPECT_EQ(rgb(readPixel(100, 700)), (Bytes{0, 0, 255}));
    EXPECT_EQ(rgb(readPixel(900, 700)), (Bytes{255, 255, 255}));
}

TEST_F(TextureGLTest, FailuresPrintTwoLinesAndLeaveTheTextureFailed) {
    std::string missing = dir + "/missing.tga";
    std::string missingOther = dir + "/missing.png";
    std::string upper = file("upper.TGA", uniformTga(4, 4));
    std::string noDot = file("nodot", uniformTga(4, 4));
    std::string badPcx = file("bad.pcx", Bytes(128, 5));
    std::string typeZero = file("empty.tga", tgaHeader(TgaHeader{0, 4, 4, 24}));

    struct Case {
        std::string path;
        std::string reason;
    } cases[] = {
        // The file is read before its suffix is looked at.
        {missing, "Couldn't open file"},
        {missingOther, "Couldn't open file"},
        {dir, "Couldn't open file"},
        {upper, "Unhandled image file format"},
        {noDot, "Unhandled image file format"},
        {badPcx, "Bad version number"},
        {typeZero, "Invalid image data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::unique_ptr<Texture2D> texture;
        EXPECT_EQ(build(c.path, &texture), errorLines(c.path, c.reason));
        EXPECT_TRUE(texture->failed());
        EXPECT_EQ(texture->getTextureId(), 0u);
        EXPECT_EQ(texture->getName(), "");
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureGLTest, PendingOpenGLErrorIsReportedBeforeCreation) {
    std::string path = file("fine.tga", uniformTga(2, 2));
    glEnable(0xFFFF);
    std::unique_ptr<Texture2D> texture;
    EXPECT_EQ(build(path, &texture), "OpenGL Error: invalid enumerant [Texture::Texture]\n");
    // Somebody else's error does not fail the texture.
    EXPECT_FALSE(texture->failed());
}

TEST_F(TextureGLTest, DestructorReleasesTheTextureObject) {
    std::unique_ptr<Texture2D> texture;
    EXPECT_EQ(build(file("fine.tga", uniformTga(2, 2)), &texture), "");
    GLuint id = texture->getTextureId();
    ASSERT_TRUE(glIsTexture(id));
    texture.reset();
    EXPECT_FALSE(glIsTexture(id));
}

TEST_F(TextureGLTest, CompressionFormatsFollowFlagsAndExtensions) {
    std::unique_ptr<Texture2D> plain;
    std::unique_ptr<Texture2D> compressed;
    std::string path = file("fine.tga", uniformTga(2, 2));
    EXPECT_EQ(build(path, &plain, 0), "");
    EXPECT_EQ(build(path, &compressed, 1), "");

    // Without both extensions a component count is its own format, whatever
    // its value.
    EXPECT_EQ(plain->getCompressionFormat(3), 3);
    EXPECT_EQ(plain->getCompressionFormat(7), 7);
    EXPECT_EQ(compressed->getInternalFormat(4), 4);
    {
        ScopedGlewFlag s3tc(ScopedGlewFlag::S3tcCompression, true);
        EXPECT_EQ(plain->getCompressionFormat(1), 1);
        ScopedGlewFlag arb(ScopedGlewFlag::ArbCompression, true);
        EXPECT_EQ(plain->getCompressionFormat(1), 0x84EA);
        EXPECT_EQ(plain->getCompressionFormat(2), 0x84EB);
        EXPECT_EQ(plain->getCompressionFormat(3), 0x84ED);
        EXPECT_EQ(plain->getCompressionFormat(4), 0x84EE);
        EXPECT_EQ(plain->getInternalFormat(4), 4);
        EXPECT_EQ(compressed->getInternalFormat(4), 0x84EE);
        for (int bad : {0, 5, -1}) {
            try {
                plain->getCompressionFormat(bad);
                ADD_FAILURE() << bad << " accepted";
            } catch (const std::invalid_argument& e) {
                EXPECT_STREQ(e.what(), "Texture::getCompressionFormat: Bad internal format");
            }
        }
    }
    EXPECT_EQ(plain->getCompressionFormat(1), 1);
}

TEST_F(TextureGLTest, BuildsFromADecodedImageTheCallerKeeps) {
    unsigned char grey[4] = {0, 85, 170, 255};
    Image image("grey.raw", 2, 2, GL_LUMINANCE, 1, grey);
    ::testing::internal::CaptureStderr();
    Texture2D texture(image, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_FALSE(texture.failed());
    EXPECT_EQ(texture.getName(), "grey.raw");
    GLint format = 0;
    texture.bind();
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    // The component count is the internal format asked for.
    EXPECT_EQ(format, 1);
    Bytes texels(4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(texels, (Bytes{0, 85, 170, 255}));
    EXPECT_EQ(image.getPixels()[3], 255);
}

// The cache.

TEST_F(TextureGLTest, CacheMakesOneTexturePerNameAndReadsTheFileOnce) {
    Texture2DManager cache;
    std::string path = file("shell.tga", uniformTga(4, 4));
    std::string doubled = dir + "//shell.tga";

    Texture2D* first = cache.load(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.find(path), first);
    // Gone from disk: a second load must not need the file.
    std::remove(path.c_str());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(cache.load(path), first);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(cache.size(), 1u);

    // Names are keys as given: no path normalisation.
    writeFile(path, uniformTga(4, 4));
    Texture2D* second = cache.load(doubled);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->getName(), doubled);
    EXPECT_EQ(cache.size(), 2u);
}

TEST_F(TextureGLTest, CacheGivesNullForAFailedFileAndReportsItOnce) {
    Texture2DManager cache;
    std::string path = dir + "/late.tga";
    for (int call = 0; call < 3; ++call) {
        SCOPED_TRACE("call " + std::to_string(call));
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(cache.load(path), nullptr);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  call == 0 ? errorLines(path, "Couldn't open file") : "");
        EXPECT_EQ(cache.size(), 0u);
        // A file that turns up later stays refused for the run: the figures
        // and materials that asked drew without it.
        writeFile(path, uniformTga(2, 2));
    }
    // Another name is tried afresh.
    EXPECT_NE(cache.load(file("other.tga", uniformTga(2, 2))), nullptr);
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(TextureGLTest, CacheRefusesASecondObjectUnderOneName) {
    Texture2DManager cache;
    Texture2D* first = cache.load(file("a.tga", uniformTga(2, 2)));
    ASSERT_NE(first, nullptr);
    std::unique_ptr<Texture2D> intruder(new Texture2D(file("b.tga", uniformTga(2, 2)), 0));
    try {
        cache.registerObject(first->getName(), intruder.get());
        ADD_FAILURE() << "collision accepted";
    } catch (const DataManagerException& e) {
        EXPECT_STREQ(e.what(), "Name collision");
        EXPECT_EQ(e.getName(), first->getName());
    }
    EXPECT_EQ(cache.find(first->getName()), first);
    EXPECT_EQ(cache.size(), 1u);

    // purge() deletes what the cache owns and forgets it.
    GLuint id = first->getTextureId();
    std::string name = first->getName();
    cache.purge();
    EXPECT_EQ(cache.size(), 0u);
    EXPECT_EQ(cache.find(name), nullptr);
    EXPECT_FALSE(glIsTexture(id));
}

TEST_F(TextureGLTest, OneCacheForTheWholeProgram) {
    Texture2DManager* cache = Texture2DManager::getInstance();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(Texture2DManager::getInstance(), cache);
    std::string path = file("shared.tga", uniformTga(2, 2));
    Texture2D* texture = cache->load(path);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(Texture2DManager::getInstance()->load(path), texture);
}
