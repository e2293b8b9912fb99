#include "GeneratedRes.h"

#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

struct Bounds {
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    void add(const float* p) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
    }
    float centre(int k) const { return (lo[k] + hi[k]) / 2; }
};

Bounds frameBounds(const Md2Contents::Frame& f) {
    Bounds b;
    for (size_t i = 0; i < f.xyz.size(); i += 3)
        b.add(&f.xyz[i]);
    return b;
}

// The biggest distance between the same vertex in two frames.
float frameDistance(const Md2Contents::Frame& a, const Md2Contents::Frame& b) {
    float d = 0;
    for (size_t i = 0; i < a.xyz.size(); ++i)
        d = std::max(d, std::fabs(a.xyz[i] - b.xyz[i]));
    return d;
}

using Animations = std::vector<std::pair<std::string, int>>;

} // namespace

TEST(GeneratedModelsTest, ModelFilesAreWhollyInRange) {
    for (const char* name : {"character", "zombie", "GraveStone", "banana", "weapon", "shotgun"}) {
        SCOPED_TRACE(name);
        Md2Contents m;
        ASSERT_NO_THROW(m = readMd2(resPath(std::string(name) + ".md2")));
        EXPECT_EQ(m.skinWidth, 256);
        EXPECT_EQ(m.skinHeight, 256);
        EXPECT_GT(m.triangles.size(), 0u);
        for (size_t i = 0; i < m.st.size(); ++i)
            ASSERT_TRUE(m.st[i] >= 0 && m.st[i] <= 256) << "texel coordinate " << i;
    }
}

TEST(GeneratedModelsTest, FrameNamesCutToExactlyTheAnimationsTheGamePlays) {
    EXPECT_EQ(md2Animations(readMd2(resPath("character.md2"))), (Animations{{"sas", 16}}));
    EXPECT_EQ(md2Animations(readMd2(resPath("zombie.md2"))),
              (Animations{{"crwalk", 9}, {"run", 7}, {"crattack", 7}, {"death", 7}}));
    EXPECT_EQ(md2Animations(readMd2(resPath("banana.md2"))), (Animations{{"sway", 13}}));
    EXPECT_EQ(md2Animations(readMd2(resPath("weapon.md2"))), (Animations{{"stand", 2}}));
    EXPECT_EQ(md2Animations(readMd2(resPath("shotgun.md2"))), (Animations{{"stand", 2}}));
    EXPECT_EQ(md2Animations(readMd2(resPath("GraveStone.md2"))), (Animations{{"stand", 1}}));
}

TEST(GeneratedModelsTest, CyclesCloseOnTheirFirstFrame) {
    // Playback never shows an animation's last frame and blends its last
    // shown frame back to the first, so the last frame repeats the first.
    struct Cycle {
        const char* model;
        int first, count;
    };
    for (Cycle c : {Cycle{"character", 0, 16}, Cycle{"zombie", 0, 9}, Cycle{"zombie", 9, 7},
                    Cycle{"zombie", 16, 7}, Cycle{"banana", 0, 13}}) {
        SCOPED_TRACE(std::string(c.model) + " from " + std::to_string(c.first));
        Md2Contents m = readMd2(resPath(std::string(c.model) + ".md2"));
        const auto& f = m.frames;
        EXPECT_LT(frameDistance(f[size_t(c.first)], f[size_t(c.first + c.count - 1)]), 0.5f);
        // And it moves in between.
        EXPECT_GT(frameDistance(f[size_t(c.first)], f[size_t(c.first + c.count / 2)]), 0.5f);
    }
}

TEST(GeneratedModelsTest, FiguresStandOnTheGroundAfterTheGameLiftsThem) {
    Md2Contents character = readMd2(resPath("character.md2"));
    for (const auto& f : character.frames) {
        Bounds b = frameBounds(f);
        EXPECT_NEAR(b.lo[2], -10.0f, 0.25f) << f.name; // lifted by 10
        EXPECT_NEAR(b.hi[2] - b.lo[2], 50.0f, 2.5f) << f.name;
    }
    Md2Contents zombie = readMd2(resPath("zombie.md2"));
    for (const auto& f : zombie.frames) {
        Bounds b = frameBounds(f);
        EXPECT_NEAR(b.lo[2], -23.0f, 0.25f) << f.name; // lifted by 23
        if (f.name.rfind("crwalk", 0) == 0) {
            EXPECT_NEAR(b.hi[2] - b.lo[2], 56.0f, 3.0f) << f.name;
        }
    }
    // Dead by the fifth frame: the game shows 4.5 frames before removing it.
    for (int i = 4; i < 7; ++i)
        EXPECT_LT(frameBounds(zombie.frames[size_t(23 + i)]).hi[2], -23.0f + 16.0f) << i;

    Bounds stone = frameBounds(readMd2(resPath("GraveStone.md2")).frames[0]);
    EXPECT_NEAR(stone.lo[2], 0.0f, 0.6f);
    EXPECT_NEAR(stone.hi[2] * 0.75f, 41.0f, 3.0f); // the game scales it by 0.75
    Md2Contents tree = readMd2(resPath("banana.md2"));
    for (const auto& f : tree.frames) {
        Bounds b = frameBounds(f);
        EXPECT_NEAR(b.lo[2], 0.0f, 0.6f) << f.name;
        EXPECT_NEAR(b.hi[2], 90.0f, 6.0f) << f.name;
    }
}

TEST(GeneratedModelsTest, PickupLiesCentredWhereTheGameLowersItToTheGround) {
    Md2Contents m = readMd2(resPath("shotgun.md2"));
    for (const auto& f : m.frames) {
        Bounds b = frameBounds(f);
        // Spins about the vertical axis through the origin: centred on it.
        EXPECT_NEAR(b.centre(0), 0.0f, 0.3f);
        EXPECT_NEAR(b.centre(1), 0.0f, 0.3f);
        EXPECT_NEAR(b.lo[2], 20.0f, 0.2f); // the game lowers it by 20
        EXPECT_LT(b.hi[2], 28.0f);
        EXPECT_GT(b.hi[0] - b.lo[0], 25.0f); // a full-length gun
    }
}

TEST(GeneratedModelsTest, FiguresFaceForwardAlongX) {
    // The pistol sits in the survivor's right hand (model -y), in front of
    // the body and at the hand's height plus the figure's lift of 10.
    Bounds gun = frameBounds(readMd2(resPath("weapon.md2")).frames[0]);
    Md2Contents character = readMd2(resPath("character.md2"));
    Bounds body = frameBounds(character.frames[0]);
    EXPECT_GT(gun.centre(0), 4.0f);
    EXPECT_LT(gun.centre(1), -3.0f);
    EXPECT_GT(gun.centre(2) - 10.0f, body.lo[2] + 15.0f);
    EXPECT_LT(gun.centre(2) - 10.0f, body.hi[2] - 10.0f);
    EXPECT_LT(gun.hi[0] - gun.lo[0], 10.0f);
    // The zombie's hands reach out in front of it as it walks.
    Md2Contents zombie = readMd2(resPath("zombie.md2"));
    for (int i = 0; i < 9; ++i)
        EXPECT_GT(frameBounds(zombie.frames[size_t(i)]).hi[0], 12.0f) << i;
    // The grave's mound lies over the origin, where the zombie rises, and
    // the stone behind it.
    Bounds stone = frameBounds(readMd2(resPath("GraveStone.md2")).frames[0]);
    EXPECT_LT(stone.lo[0], -10.0f);
    EXPECT_GT(stone.hi[0], 10.0f);
}

TEST(GeneratedModelsTest, SceneryReadsWithAnotherObjReader) {
    struct Expected {
        const char* name;
        float lo[3], hi[3];
    };
    const Expected models[] = {
        {"grassPlane.obj", {-432, 0, -432}, {432, 0, 432}},
        {"fence.obj", {-2, -1, -184.5f}, {3.3f, 47.5f, -61.5f}},
    };
    for (const Expected& e : models) {
        SCOPED_TRACE(e.name);
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        ASSERT_TRUE(tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err,
                                     resPath(e.name).c_str(), resPath("").c_str()))
            << err;
        EXPECT_TRUE(warn.empty()) << warn;
        ASSERT_FALSE(materials.empty());
        for (const auto& m : materials) {
            EXPECT_FALSE(m.diffuse_texname.empty()) << m.name;
            std::ifstream texture(resPath(m.diffuse_texname));
            EXPECT_TRUE(texture.good()) << m.diffuse_texname;
            EXPECT_GT(m.diffuse[0], 0.5f); // figures drawn after it inherit it
        }
        Bounds b;
        for (size_t i = 0; i < attrib.vertices.size(); i += 3)
            b.add(&attrib.vertices[i]);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(b.lo[k], e.lo[k], 0.6f) << k;
            EXPECT_NEAR(b.hi[k], e.hi[k], 0.6f) << k;
        }
        size_t faces = 0;
        for (const auto& s : shapes)
            faces += s.mesh.num_face_vertices.size();
        EXPECT_GT(faces, 0u);
    }
    // The field: normals straight up, fine enough for smooth lighting.
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    ASSERT_TRUE(tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err,
                                 resPath("grassPlane.obj").c_str(), resPath("").c_str()));
    EXPECT_EQ(attrib.normals, (std::vector<float>{0, 1, 0}));
    EXPECT_GE(attrib.vertices.size() / 3, 40u * 40u);
}

TEST(GeneratedModelsTest, ObjAndMtlUseOnlyKeywordsTheGameReads) {
    // The game's reader knows a keyword by its first letters; any other line
    // it skips, but an MTL token starting with "n" counts as a material.
    for (const char* name : {"grassPlane.obj", "fence.obj"}) {
        std::ifstream in(resPath(name));
        std::string line;
        while (std::getline(in, line)) {
            std::string word = line.substr(0, line.find(' '));
            EXPECT_TRUE(word == "mtllib" || word == "v" || word == "vt" || word == "vn" ||
                        word == "usemtl" || word == "f")
                << name << ": " << line;
        }
    }
    for (const char* name : {"grassPlane.mtl", "fence.mtl"}) {
        std::ifstream in(resPath(name));
        std::string token;
        while (in >> token) {
            if (token[0] == 'n') {
                EXPECT_EQ(token, "newmtl") << name;
            }
        }
    }
}
