// The generator's own writers and geometry, checked against the game's
// decoders where there is one.

#include "Assets.h"
#include "Audio.h"
#include "Canvas.h"
#include "Md2File.h"
#include "Mesh.h"
#include "ObjFile.h"
#include "Random.h"
#include "assets/MD2Normals.h"

#include "GeneratedRes.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageTGA.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

using namespace content;

namespace {

std::unique_ptr<ImageTGA> decodeBytes(const std::vector<uint8_t>& bytes) {
    ImageBuffer buffer("canvas.tga", bytes.data(), int(bytes.size()));
    return std::unique_ptr<ImageTGA>(new ImageTGA(buffer));
}

// A PNG file's 8-bit RGBA samples as ImageMagick reads them, through libpng
// and zlib, which check every chunk's CRC and the stream's Adler-32; empty
// when it refuses the file.
std::string readPngElsewhere(const std::string& path) {
    int status = -1;
    std::string rgba =
        runCommand("convert 'png:" + path + "' -depth 8 -alpha on rgba:- 2>/dev/null", &status);
    return status == 0 ? rgba : "";
}

} // namespace

TEST(GeneratorTest, CanvasComesBackThroughTheGameDecoderPixelForPixel) {
    Canvas c(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            c.set(x, y, Color(x / 3.0f, y / 2.0f, 0.25f, (x + y) / 5.0f));
    for (bool alpha : {false, true}) {
        SCOPED_TRACE(alpha);
        auto image = decodeBytes(c.tga(alpha));
        ASSERT_EQ(image->getWidth(), 4);
        ASSERT_EQ(image->getHeight(), 3);
        ASSERT_EQ(image->getComponents(), alpha ? 4 : 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                // The decoder stores the bottom row first; the canvas holds
                // the top row first.
                const unsigned char* p =
                    image->getPixels() + (size_t(2 - y) * 4 + x) * size_t(alpha ? 4 : 3);
                EXPECT_EQ(p[0], std::lround(x / 3.0f * 255)) << x << "," << y;
                EXPECT_EQ(p[1], std::lround(y / 2.0f * 255)) << x << "," << y;
                EXPECT_EQ(p[2], 64) << x << "," << y;
                if (alpha) {
                    EXPECT_EQ(p[3], std::lround((x + y) / 5.0f * 255)) << x << "," << y;
                }
            }
        }
    }
}

TEST(GeneratorTest, PngComesBackThroughAnotherDecoderPixelForPixel) {
    // 300 x 60 RGBA rows make more than one stored block of 65535 bytes.
    const int w = 300, h = 60;
    Canvas c(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            c.set(x, y, Color(x / 299.0f, y / 59.0f, ((x * 7 + y) % 256) / 255.0f, (x % 5) / 4.0f));
    std::string path = makeScratchDir("png_writer") + "/canvas.png";
    content::writeFile(path, c.png());
    std::string rgba = readPngElsewhere(path);
    ASSERT_EQ(rgba.size(), size_t(w) * h * 4);
    int mismatches = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned char* q = reinterpret_cast<const unsigned char*>(&rgba[(y * w + x) * 4]);
            mismatches += q[0] != std::lround(x / 299.0f * 255) ||
                          q[1] != std::lround(y / 59.0f * 255) || q[2] != (x * 7 + y) % 256 ||
                          q[3] != std::lround((x % 5) / 4.0f * 255);
        }
    }
    EXPECT_EQ(mismatches, 0);
    // A flipped bit in the data is caught by the chunk's check sum.
    std::vector<uint8_t> broken = c.png();
    broken[broken.size() / 2] ^= 0x10;
    content::writeFile(path, broken);
    EXPECT_EQ(readPngElsewhere(path), "");
}

TEST(GeneratorTest, PaddingNeverPaintsOverAnotherRectangle) {
    Canvas c(8, 4, Color(0, 0, 0, 0));
    c.paint(
        {0, 0, 4, 4}, [](float, float) { return Color(1, 0, 0); }, 2);
    c.paint(
        {4, 0, 4, 4}, [](float, float) { return Color(0, 1, 0); }, 2);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(c.get(3, y).r, 1.0f);
        EXPECT_EQ(c.get(4, y).g, 1.0f);
    }
}

TEST(GeneratorTest, KeyframeFileKeepsPositionsNormalsAndNames) {
    Mesh mesh;
    LoftStyle style;
    style.segments = 6;
    style.uv = {0, 0, 64, 64};
    Ring a, b;
    a.c = {0, 0, 0};
    b.c = {0, 0, 10};
    b.v = 1;
    addLoft(mesh, {a, b}, style);
    std::vector<Md2Frame> frames;
    for (int i = 0; i < 12; ++i) {
        Md2Frame f;
        f.name = frameName("crwalk", i + 1);
        for (Vec3 p : mesh.pos)
            f.pos.push_back(p + Vec3(0.37f * i, 0, 0));
        f.normal = mesh.normals(f.pos);
        frames.push_back(f);
    }
    std::string path = makeScratchDir("md2_writer") + "/tube.md2";
    content::writeFile(path, writeMd2(mesh, 64, 64, frames, "res/tube.tga"));
    Md2Contents m = readMd2(path);
    ASSERT_EQ(m.frames.size(), 12u);
    EXPECT_EQ(m.frames[9].name, "crwalk10");
    // Two-digit numbers cut back to the bare name, even past nine.
    EXPECT_EQ(md2Animations(m), (std::vector<std::pair<std::string, int>>{{"crwalk", 12}}));
    for (size_t f = 0; f < frames.size(); ++f) {
        for (size_t v = 0; v < mesh.pos.size(); ++v) {
            Vec3 p = frames[f].pos[v];
            const float* q = &m.frames[f].xyz[3 * v];
            // Within half a quantisation step of a 255-step range.
            EXPECT_NEAR(q[0], p.x, 0.01f);
            EXPECT_NEAR(q[1], p.y, 2.0f / 255);
            EXPECT_NEAR(q[2], p.z, 10.0f / 255);
            // The stored normal is the table entry closest to the real one.
            const float* n = md2Normals[m.frames[f].normal[v]];
            Vec3 real = frames[f].normal[v];
            EXPECT_GT(n[0] * real.x + n[1] * real.y + n[2] * real.z, 0.95f);
        }
    }
}

TEST(GeneratorTest, KeyframeWriterRefusesWhatTheFormatCannotHold) {
    Mesh mesh;
    mesh.addVertex({0, 0, 0});
    mesh.addTexel({0, 0});
    mesh.addTri(0, 0, 0, 0, 0, 0);
    Md2Frame f;
    f.pos = {{0, 0, 0}};
    f.normal = {{0, 0, 1}};
    f.name = "a_name_of_16chrs";
    EXPECT_THROW(writeMd2(mesh, 64, 64, {f}, "skin"), std::runtime_error);
    f.name = "stand01";
    f.pos.push_back({1, 1, 1});
    EXPECT_THROW(writeMd2(mesh, 64, 64, {f}, "skin"), std::runtime_error);
    // Every table normal maps to itself.
    for (int i = 0; i < md2NormalCount; ++i)
        EXPECT_EQ(nearestMd2Normal({md2Normals[i][0], md2Normals[i][1], md2Normals[i][2]}), i);
}

TEST(GeneratorTest, LoftNormalsPointOutwardsWhicheverWayTheRingsRun) {
    for (float direction : {1.0f, -1.0f}) {
        Mesh mesh;
        LoftStyle style;
        style.segments = 8;
        std::vector<Ring> rings(3);
        for (int i = 0; i < 3; ++i) {
            rings[size_t(i)].c = {0, 0, direction * 5.0f * i};
            rings[size_t(i)].rx = rings[size_t(i)].ry = 2;
        }
        addLoft(mesh, rings, style);
        std::vector<Vec3> n = mesh.normals(mesh.pos);
        // Side vertices of the middle ring face away from the axis.
        for (int j = 0; j < 8; ++j) {
            Vec3 p = mesh.pos[size_t(8 + j)];
            EXPECT_GT(dot(n[size_t(8 + j)], Vec3(p.x, p.y, 0)), 0.5f) << direction << " " << j;
        }
        // The caps face out along the axis.
        Vec3 endCap = mesh.pos.back();
        EXPECT_GT(dot(n.back(), Vec3(0, 0, direction)), 0.9f) << endCap.z;
    }
}

TEST(GeneratorTest, ObjTextSharesCornersAndNeverWritesNegativeZero) {
    ObjFile obj;
    auto c = [](float x, float z) { return ObjFile::Corner{{x, -0.0f, z}, {x, z}, {0, 1, 0}}; };
    obj.addFace("grass", {c(0, 0), c(0, 1), c(1, 1), c(1, 0)});
    obj.addFace("grass", {c(1, 0), c(1, 1), c(2, 1), c(2, 0)});
    std::string text = obj.text("grassPlane.mtl");
    EXPECT_EQ(text.find("-0.0000"), std::string::npos);
    size_t positions = 0, normals = 0, at = 0;
    while ((at = text.find("\nv ", at)) != std::string::npos)
        ++positions, ++at;
    at = 0;
    while ((at = text.find("\nvn ", at)) != std::string::npos)
        ++normals, ++at;
    EXPECT_EQ(positions, 6u); // the shared edge is written once
    EXPECT_EQ(normals, 1u);
    EXPECT_NE(text.find("usemtl grass\nf 1/1/1 2/2/1 3/3/1 4/4/1\nf 4/4/1 3/3/1 5/5/1 6/6/1\n"),
              std::string::npos)
        << text;
}

TEST(GeneratorTest, WavHeaderDescribesItsSamples) {
    std::vector<uint8_t> w = wavBytes({0.0f, 1.0f, -1.0f, 2.0f}, 1, 22050);
    ASSERT_EQ(w.size(), 44u + 8u);
    EXPECT_EQ(std::memcmp(w.data(), "RIFF", 4), 0);
    EXPECT_EQ(w[4] | w[5] << 8, 36 + 8);
    EXPECT_EQ(w[22], 1);                                // channels
    EXPECT_EQ(w[24] | w[25] << 8 | w[26] << 16, 22050); // rate
    EXPECT_EQ(w[34], 16);                               // bits
    EXPECT_EQ(int16_t(w[46] | w[47] << 8), 32767);      // full scale
    EXPECT_EQ(int16_t(w[48] | w[49] << 8), -32767);
    EXPECT_EQ(int16_t(w[50] | w[51] << 8), 32767); // clipped, not wrapped
}

TEST(GeneratorTest, TiledNoiseWrapsAndTheGeneratorRepeatsItself) {
    for (float y : {0.3f, 2.7f, 5.5f}) {
        EXPECT_FLOAT_EQ(fbmTiled(0.25f, y, 4, 4, 3, 9u), fbmTiled(4.25f, y, 4, 4, 3, 9u));
        EXPECT_FLOAT_EQ(valueNoiseTiled(y, 0.5f, 8, 8, 3u), valueNoiseTiled(y, 8.5f, 8, 8, 3u));
    }
    Random a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 100; ++i) {
        uint32_t x = a.next();
        EXPECT_EQ(x, b.next());
        differs = differs || x != c.next();
    }
    EXPECT_TRUE(differs);
}

TEST(GeneratorTest, LowPassKeepsTheLowAndDropsTheHigh) {
    auto gain = [](float freq) {
        Biquad f = Biquad::lowPass(500, 0.7f);
        float peak = 0;
        for (int i = 0; i < kSampleRate / 2; ++i) {
            float y = f.run(std::sin(2 * 3.14159265f * freq * i / kSampleRate));
            if (i > kSampleRate / 4)
                peak = std::max(peak, std::fabs(y));
        }
        return peak;
    };
    EXPECT_NEAR(gain(100), 1.0f, 0.05f);
    EXPECT_LT(gain(5000), 0.02f);
}
