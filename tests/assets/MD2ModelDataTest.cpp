#include "assets/MD2ModelData.h"
#include "assets/MD2Normals.h"
#include "md2/MD2Writer.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// A tetrahedron with two frames.
MD2Writer tetrahedron() {
    MD2Writer w;
    w.skinWidth = 128;
    w.skinHeight = 64;
    w.skins = {"skin.pcx"};
    w.texCoords = {{0, 0}, {128, 0}, {-64, 32}};
    w.triangles = {{{0, 1, 2}, {0, 1, 2}}, {{0, 2, 3}, {2, 1, 0}}};
    for (int f = 0; f < 2; ++f) {
        MD2Writer::Frame frame;
        frame.scale = Vector3(0.5f, 1.0f, 2.0f);
        frame.translate = Vector3(-1.0f, 0.0f, 10.0f * f);
        frame.name = "stand0" + std::to_string(f + 1);
        frame.vertices = {{{0, 0, 0}, 0}, {{255, 0, 0}, 161}, {{0, 255, 0}, 5}, {{0, 0, 255}, 7}};
        w.frames.push_back(frame);
    }
    w.glCommands = {3, 0, 0, 0};
    return w;
}

void putInt(std::vector<unsigned char>& b, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<unsigned char>(uint32_t(v) >> (8 * i));
    }
}

int32_t getInt(const std::vector<unsigned char>& b, size_t at) {
    int32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
}

std::string refusal(const std::vector<unsigned char>& bytes) {
    try {
        MD2ModelData data(bytes.data(), bytes.size());
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

// Header fields by byte offset.
enum : size_t {
    SkinWidth = 8,
    NumSkins = 20,
    NumVertices = 24,
    NumTexCoords = 28,
    NumTriangles = 32,
    NumGlCommands = 36,
    NumFrames = 40,
    OffsetSkins = 44,
    OffsetTexCoords = 48,
    OffsetTriangles = 52,
    OffsetFrames = 56,
    OffsetGlCommands = 60
};

} // namespace

TEST(MD2ModelDataTest, ReadsEverySection) {
    std::string dir = makeScratchDir("md2_data");
    ASSERT_TRUE(tetrahedron().write(dir + "/t.md2"));
    MD2ModelData d(dir + "/t.md2");
    EXPECT_EQ(d.getHeader().skinWidth, 128);
    EXPECT_EQ(d.getHeader().numFrames, 2);
    ASSERT_EQ(d.getSkinNames().size(), 1u);
    EXPECT_STREQ(d.getSkinNames()[0].data(), "skin.pcx");
    ASSERT_EQ(d.getTexCoords().size(), 3u);
    EXPECT_EQ(d.getTexCoords()[2].s, -64); // signed
    EXPECT_EQ(d.getTexCoords()[2].t, 32);
    ASSERT_EQ(d.getTriangles().size(), 2u);
    EXPECT_EQ(d.getTriangles()[1].vertexIndex[2], 3);
    EXPECT_EQ(d.getTriangles()[1].texCoordIndex[0], 2);
    ASSERT_EQ(d.getFrames().size(), 2u);
    const MD2Frame& f = d.getFrames()[1];
    EXPECT_EQ(f.scale.z, 2.0f);
    EXPECT_EQ(f.translate.x, -1.0f);
    EXPECT_EQ(f.translate.z, 10.0f);
    EXPECT_EQ(d.frameName(1), "stand02");
    ASSERT_EQ(d.getHeader().numVertices, 4);
    EXPECT_EQ(f.vertices[1].v[0], 255);
    EXPECT_EQ(f.vertices[1].normalIndex, 161);
    EXPECT_EQ(d.getGlCommands(), (std::vector<int32_t>{3, 0, 0, 0}));
}

TEST(MD2ModelDataTest, HeaderRefusalsInOrder) {
    std::string dir = makeScratchDir("md2_header");
    try {
        MD2ModelData d(dir + "/none.md2");
        FAIL() << "a missing file loaded";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Couldn't open file");
    }

    std::vector<unsigned char> b = tetrahedron().bytes();
    std::vector<unsigned char> wrongIdent = b;
    wrongIdent[3] = '3';
    putInt(wrongIdent, 4, 7); // the ident is judged first
    EXPECT_EQ(refusal(wrongIdent), "Bad file ident");
    std::vector<unsigned char> wrongVersion = b;
    putInt(wrongVersion, 4, 7);
    EXPECT_EQ(refusal(wrongVersion), "Bad file version");
    EXPECT_EQ(refusal({'I', 'D', 'P'}), "Bad file ident");
    EXPECT_EQ(refusal({'I', 'D', 'P', '2', 8, 0}), "Bad file version");
    EXPECT_EQ(refusal({'I', 'D', 'P', '2', 8, 0, 0, 0}), "Bad file data: header cut short");

    // A bad ident is refused from the header alone, whatever follows.
    writeFile(dir + "/ident.md2", wrongIdent);
    EXPECT_THROW(MD2ModelData(dir + "/ident.md2"), std::runtime_error);
}

TEST(MD2ModelDataTest, EveryCutOfTheFileIsRefusedCleanly) {
    std::vector<unsigned char> b = tetrahedron().bytes();
    for (size_t n = 0; n < b.size(); ++n) {
        std::vector<unsigned char> cut(b.begin(), b.begin() + n);
        EXPECT_NE(refusal(cut), "") << "cut at " << n;
    }
    EXPECT_EQ(refusal(b), "");
}

TEST(MD2ModelDataTest, SectionsOutsideTheFileAreRefused) {
    const std::vector<unsigned char> b = tetrahedron().bytes();
    struct Case {
        size_t field;
        int32_t value;
        const char* message;
    } cases[] = {
        {NumSkins, 1000, "Bad file data: skins past end of file"},
        {OffsetSkins, -4, "Bad file data: skins past end of file"},
        {NumTexCoords, 1 << 30, "Bad file data: texture coordinates past end of file"},
        {OffsetTexCoords, INT32_MAX, "Bad file data: texture coordinates past end of file"},
        {NumTriangles, -1, "Bad file data: negative count"},
        {OffsetTriangles, int32_t(b.size()) - 11, "Bad file data: triangles past end of file"},
        {NumFrames, 3, "Bad file data: frames past end of file"},
        {NumVertices, INT32_MAX, "Bad file data: frames past end of file"},
        {NumVertices, -1, "Bad file data: negative count"},
        {OffsetFrames, int32_t(b.size()), "Bad file data: frames past end of file"},
        {NumGlCommands, 5, "Bad file data: command list past end of file"},
        {OffsetGlCommands, INT32_MIN, "Bad file data: command list past end of file"},
        {SkinWidth, 0, "Bad file data: skin size not positive"},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> bad = b;
        putInt(bad, c.field, c.value);
        EXPECT_EQ(refusal(bad), c.message) << "field at " << c.field << " = " << c.value;
    }
    // A model with no frames has any vertex count it likes: nothing is read.
    std::vector<unsigned char> frameless = b;
    putInt(frameless, NumFrames, 0);
    putInt(frameless, NumVertices, INT32_MAX);
    putInt(frameless, NumTriangles, 0);
    EXPECT_EQ(refusal(frameless), "");
}

TEST(MD2ModelDataTest, IndicesOutOfRangeAreRefused) {
    const std::vector<unsigned char> b = tetrahedron().bytes();
    const size_t triangles = getInt(b, OffsetTriangles);
    const size_t frames = getInt(b, OffsetFrames);

    std::vector<unsigned char> bad = b;
    bad[triangles + 12 + 4] = 4; // vertex index 4 of 4
    EXPECT_EQ(refusal(bad), "Bad file data: triangle vertex index out of range");
    bad = b;
    bad[triangles + 6] = 3; // texture coordinate 3 of 3
    EXPECT_EQ(refusal(bad), "Bad file data: texture coordinate index out of range");
    // Every vertex of both frames, with the first index past the table and
    // the last one in it.
    for (size_t frame = 0; frame < 2; ++frame) {
        for (size_t v = 0; v < 4; ++v) {
            for (int index : {162, 200, 255, 161}) {
                bad = b;
                bad[frames + frame * (40 + 16) + 40 + 4 * v + 3] =
                    static_cast<unsigned char>(index);
                EXPECT_EQ(refusal(bad),
                          index < 162 ? "" : "Bad file data: normal index out of range")
                    << frame << " " << v << " " << index;
            }
        }
    }
    // An odd number of vertices: the last stands alone.
    MD2Writer odd = tetrahedron();
    odd.triangles.pop_back();
    for (auto& frame : odd.frames) {
        frame.vertices.pop_back();
    }
    odd.frames[1].vertices[2].normalIndex = 162;
    EXPECT_EQ(refusal(odd.bytes()), "Bad file data: normal index out of range");
    bad = b;
    std::memset(&bad[frames + 24], 'x', 16);
    EXPECT_EQ(refusal(bad), "Bad file data: frame name not terminated");
    bad[frames + 24 + 15] = 0; // fifteen characters and the zero are fine
    EXPECT_EQ(refusal(bad), "");
}

TEST(MD2ModelDataTest, CornersBlendTwoFramesLinearly) {
    std::vector<unsigned char> b = tetrahedron().bytes();
    MD2ModelData d(b.data(), b.size());
    const MD2Frame& a = d.getFrames()[0];
    const MD2Frame& z = d.getFrames()[1];
    const MD2Triangle& second = d.getTriangles()[1]; // vertices 0 2 3, coordinates 2 1 0
    float tc[2], n[3], p[3];

    d.blendCorner(a, z, second, 0, 0.0f, tc, n, p);
    EXPECT_EQ(tc[0], -0.5f); // -64 / 128
    EXPECT_EQ(tc[1], 0.5f);  // 1 - 32 / 64
    EXPECT_EQ(p[0], -1.0f);
    EXPECT_EQ(p[2], 0.0f);

    // Vertex 3 (0, 0, 255) scaled by 2 along z and moved 10 in frame 1.
    d.blendCorner(a, z, second, 2, 0.5f, tc, n, p);
    EXPECT_EQ(tc[0], 0.0f);
    EXPECT_EQ(tc[1], 1.0f);
    EXPECT_EQ(p[0], -1.0f);
    EXPECT_EQ(p[1], 0.0f);
    EXPECT_EQ(p[2], 515.0f); // halfway between 510 and 520
    d.blendCorner(a, z, second, 2, 1.0f, tc, n, p);
    EXPECT_EQ(p[2], 520.0f);
}

TEST(MD2ModelDataTest, NormalsBlendWithoutRenormalising) {
    MD2Writer w = tetrahedron();
    w.frames[1].vertices[0].normalIndex = 1;
    std::vector<unsigned char> b = w.bytes();
    MD2ModelData d(b.data(), b.size());
    float tc[2], n0[3], n1[3], half[3], p[3];
    const MD2Triangle& first = d.getTriangles()[0];
    d.blendCorner(d.getFrames()[0], d.getFrames()[1], first, 0, 0.0f, tc, n0, p);
    d.blendCorner(d.getFrames()[0], d.getFrames()[1], first, 0, 1.0f, tc, n1, p);
    d.blendCorner(d.getFrames()[0], d.getFrames()[1], first, 0, 0.5f, tc, half, p);
    EXPECT_EQ(n0[0], -0.525731f); // table entries 0 and 1
    EXPECT_EQ(n1[0], -0.442863f);
    for (int c = 0; c < 3; ++c) {
        EXPECT_FLOAT_EQ(half[c], n0[c] + 0.5f * (n1[c] - n0[c]));
    }
    float length = std::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
    EXPECT_LT(length, 0.999f);
}

TEST(MD2ModelDataTest, NormalTableHoldsUnitVectors) {
    for (int i = 0; i < md2NormalCount; ++i) {
        const float* n = md2Normals[i];
        EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-5f) << i;
    }
    EXPECT_EQ(md2Normals[0][2], 0.850651f);
    EXPECT_EQ(md2Normals[161][0], -0.688191f);
    EXPECT_EQ(md2Normals[161][2], -0.425325f);
}

// Every triangle corner names a corner with its own vertex and coordinate;
// shared pairs are kept once, also when one vertex has very many coordinates
// (where a long search is cut short, a pair may repeat but stays right), and
// blending a corner gives what blending that triangle corner gives.
TEST(MD2ModelDataTest, CornerIndexNamesEveryTriangleCornersOwnPair) {
    MD2Writer fan = tetrahedron();
    fan.texCoords.clear();
    fan.triangles.clear();
    for (int16_t i = 0; i < 60; ++i) {
        fan.texCoords.push_back({i, i});
    }
    // Vertex 0 with sixty coordinates, each used by two triangles.
    for (uint16_t round = 0; round < 2; ++round) {
        for (uint16_t c = 0; c < 60; ++c) {
            fan.triangles.push_back({{0, 1, 2}, {c, uint16_t((c + 1) % 60), 0}});
        }
    }
    struct Case {
        const char* name;
        MD2Writer writer;
        size_t shared; // distinct pairs, or 0 where some may repeat
    };
    for (const Case& c : {Case{"tetrahedron", tetrahedron(), 6}, Case{"fan", fan, 0}}) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> b = c.writer.bytes();
        MD2ModelData d(b.data(), b.size());
        const std::vector<MD2Corner>& corners = d.getCorners();
        const std::vector<uint32_t>& indices = d.getCornerIndices();
        ASSERT_EQ(indices.size(), 3 * d.getTriangles().size());
        if (c.shared != 0) {
            EXPECT_EQ(corners.size(), c.shared);
        } else {
            EXPECT_LT(corners.size(), indices.size());
        }
        std::vector<float> blended;
        d.blendCorners(d.getFrames()[0], d.getFrames()[1], 0.25f, blended);
        ASSERT_EQ(blended.size(), 8 * corners.size());
        for (size_t i = 0; i < indices.size(); ++i) {
            const MD2Triangle& triangle = d.getTriangles()[i / 3];
            const int k = static_cast<int>(i % 3);
            ASSERT_LT(indices[i], corners.size());
            EXPECT_EQ(corners[indices[i]].vertexIndex, triangle.vertexIndex[k]) << i;
            EXPECT_EQ(corners[indices[i]].texCoordIndex, triangle.texCoordIndex[k]) << i;
            float expected[8];
            d.blendCorner(d.getFrames()[0], d.getFrames()[1], triangle, k, 0.25f, expected,
                          expected + 2, expected + 5);
            EXPECT_EQ(std::vector<float>(expected, expected + 8),
                      std::vector<float>(&blended[8 * indices[i]], &blended[8 * indices[i] + 8]))
                << i;
        }
    }
}
