#include "assets/OBJModelData.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

using Vertex = OBJModelData::Vertex;

// Loads OBJ text; library files come from the map, and every path asked for
// is noted.
std::unique_ptr<OBJModelData> loadObj(const std::string& obj,
                                      const std::map<std::string, std::string>& files = {},
                                      bool generateNormals = false,
                                      std::vector<std::string>* asked = nullptr,
                                      const std::string& directory = "") {
    auto data = std::make_unique<OBJModelData>();
    data->loadText(obj.data(), obj.size(), directory, generateNormals,
                   [&](const std::string& path, std::string* contents) {
                       if (asked) {
                           asked->push_back(path);
                       }
                       auto it = files.find(path);
                       if (it == files.end()) {
                           return false;
                       }
                       *contents = it->second;
                       return true;
                   });
    return data;
}

std::vector<float> positionsOf(const OBJModelData& d) {
    std::vector<float> out;
    for (int32_t i : d.getIndexBuffer()) {
        const float* p = d.getVertexBuffer().at(i).position;
        out.insert(out.end(), p, p + 3);
    }
    return out;
}

const char* square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

} // namespace

TEST(OBJModelDataTest, QuadIsAFanFromItsFirstCorner) {
    auto d = loadObj(std::string(square) + "f 1 2 3 4\n");
    EXPECT_TRUE(d->getHasPositions());
    EXPECT_EQ(d->getNumberOfVertexCoords(), 4);
    EXPECT_EQ(d->getNumberOfTriangles(), 2);
    EXPECT_EQ(d->getIndexBuffer(), (std::vector<int32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(positionsOf(*d),
              (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0}));
    // A pentagon fans on: (0,1,2) (0,2,3) (0,3,4).
    auto p = loadObj(std::string(square) + "v 9 9 9\nf 1 2 3 4 5\n");
    EXPECT_EQ(p->getIndexBuffer(), (std::vector<int32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
}

TEST(OBJModelDataTest, NegativeIndicesCountBackFromTheLinesReadSoFar) {
    auto d = loadObj("v 1 0 0\nv 2 0 0\nf 1 1 1\nv 3 0 0\nv 4 0 0\nv 5 0 0\nf -3 -2 -1\n"
                     "v 6 0 0\n");
    ASSERT_EQ(d->getNumberOfTriangles(), 2);
    std::vector<float> p = positionsOf(*d);
    EXPECT_EQ(p[9], 3.0f);
    EXPECT_EQ(p[12], 4.0f);
    EXPECT_EQ(p[15], 5.0f);
}

TEST(OBJModelDataTest, FaceFormsCarryTheirAttributes) {
    std::string head = std::string(square) + "vt 0.25 0.75\nvt 0.5 1\nvn 0 0 1\nvn 0 1 0\n";
    auto ptn = loadObj(head + "f 1/1/1 2/2/2 3/1/2\n", {}, false);
    const Vertex& v = ptn->getVertexBuffer()[2];
    EXPECT_EQ(v.texCoord[0], 0.25f); // not flipped
    EXPECT_EQ(v.texCoord[1], 0.75f);
    EXPECT_EQ(v.normal[1], 1.0f);
    EXPECT_FALSE(ptn->getMeshes().empty());

    auto pn = loadObj(head + "f 1//2 2//2 3//2\n");
    EXPECT_EQ(pn->getVertexBuffer()[0].texCoord[0], 0.0f);
    EXPECT_EQ(pn->getVertexBuffer()[0].normal[1], 1.0f);

    auto pt = loadObj(head + "f 1/2 2/2 3/2\n");
    EXPECT_EQ(pt->getVertexBuffer()[0].texCoord[0], 0.5f);
    // The file has normals, so none are generated: the form gave none.
    EXPECT_EQ(pt->getVertexBuffer()[0].normal[2], 0.0f);
    EXPECT_TRUE(pt->getHasNormals());
    EXPECT_TRUE(pt->getHasTextureCoords());
}

TEST(OBJModelDataTest, EqualVerticesAreSharedAndNormalsAveraged) {
    // Two triangles folded along the edge 1-3, same texture coordinates.
    const char* folded = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nvt 0 0\n"
                         "f 1/1 2/1 3/1\nf 1/1 3/1 4/1\n";
    auto d = loadObj(folded);
    EXPECT_FALSE(d->getNumberOfNormals());
    EXPECT_TRUE(d->getHasNormals());
    ASSERT_EQ(d->getVertexBuffer().size(), 4u);
    EXPECT_EQ(d->getIndexBuffer(), (std::vector<int32_t>{0, 1, 2, 0, 2, 3}));
    // Faces point along +z and +x; the shared corners average them.
    const float r = 1.0f / std::sqrt(2.0f);
    for (int shared : {0, 2}) {
        const float* n = d->getVertexBuffer()[shared].normal;
        EXPECT_FLOAT_EQ(n[0], r);
        EXPECT_FLOAT_EQ(n[1], 0.0f);
        EXPECT_FLOAT_EQ(n[2], r);
    }
    EXPECT_EQ(d->getVertexBuffer()[1].normal[2], 1.0f);
    EXPECT_EQ(d->getVertexBuffer()[3].normal[0], 1.0f);

    // Different texture coordinates at the same corners: nothing is shared.
    auto apart = loadObj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nvt 0 0\nvt 1 1\n"
                         "f 1/1 2/1 3/1\nf 1/2 3/2 4/2\n");
    EXPECT_EQ(apart->getVertexBuffer().size(), 6u);
    EXPECT_EQ(apart->getVertexBuffer()[0].normal[2], 1.0f);

    // Equality is by bytes: 0 and -0 are two vertices.
    auto zeros = loadObj("v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt -0 0\n"
                         "f 1/1 2/1 3/1\nf 1/2 2/1 3/1\n");
    EXPECT_EQ(zeros->getVertexBuffer().size(), 4u);
    EXPECT_EQ(zeros->getIndexBuffer()[3], 3);
}

TEST(OBJModelDataTest, NormalsFromTheFileAreKeptUnlessAsked) {
    std::string obj = std::string(square) + "vn 0 0 -1\nf 1//1 2//1 3//1\n";
    EXPECT_EQ(loadObj(obj, {}, false)->getVertexBuffer()[0].normal[2], -1.0f);
    EXPECT_EQ(loadObj(obj, {}, true)->getVertexBuffer()[0].normal[2], 1.0f);
    // A corner of degenerate triangles only keeps a zero normal.
    auto flat = loadObj("v 0 0 0\nv 1 1 1\nv 2 2 2\nf 1 2 3\n");
    for (const Vertex& v : flat->getVertexBuffer()) {
        EXPECT_EQ(v.normal[0], 0.0f);
        EXPECT_EQ(v.normal[1], 0.0f);
        EXPECT_EQ(v.normal[2], 0.0f);
    }
}

TEST(OBJModelDataTest, MaterialRules) {
    std::map<std::string, std::string> files = {{"m.mtl", "Ns 5\n"
                                                          "newmtl shiny\nNs 96\nKa 0.1 0.2\n"
                                                          "newmtl lens\nNs 96\nNi 1.5\nTr 0.25\n"
                                                          "newmtl glass\nd 0.5\nKs 1 1 1\nillum 1\n"
                                                          "newmtl metal\nKs 1 1 1\nillum 2\n"
                                                          "Kd 0.5 0.25 0.125\n"
                                                          "Ke 9 9 9\nTf 9 9 9\n"
                                                          "map_Kd grass.tga\nmap_bump bump.tga\n"}};
    auto d = loadObj("mtllib m.mtl\n", files);
    ASSERT_EQ(d->getNumberOfMaterials(), 4);
    const auto& m = d->getMaterials();
    EXPECT_EQ(m[0].name, "shiny");
    EXPECT_FLOAT_EQ(m[0].shininess, 0.096f);
    // Ka with two numbers keeps the third as it was.
    EXPECT_EQ(m[0].ambient[0], 0.1f);
    EXPECT_EQ(m[0].ambient[1], 0.2f);
    EXPECT_EQ(m[0].ambient[2], 0.2f);
    EXPECT_EQ(m[0].diffuse[0], 0.8f);
    EXPECT_FLOAT_EQ(m[1].shininess, 0.0015f); // the later Ni wins
    EXPECT_FLOAT_EQ(m[1].alpha, 0.75f);
    EXPECT_EQ(m[2].alpha, 0.5f);
    EXPECT_EQ(m[2].specular[0], 0.0f);
    EXPECT_EQ(m[2].specular[3], 1.0f);
    EXPECT_EQ(m[3].specular[0], 1.0f);
    EXPECT_EQ(m[3].diffuse[2], 0.125f);
    EXPECT_EQ(m[3].ambient[0], 0.2f);
    EXPECT_EQ(m[3].colorMapFileName, "grass.tga");
    EXPECT_EQ(m[3].bumpMapFileName, "bump.tga");
    EXPECT_EQ(d->getMaterialCache().at("glass"), 2);
    EXPECT_EQ(d->getMaterialCache().count("default"), 0u);
}

TEST(OBJModelDataTest, MeshesFollowMaterialRunsTranslucentLast) {
    std::string obj = std::string("mtllib m.mtl\n") + square;
    auto run = [&](const char* material, int triangles) {
        obj += std::string("usemtl ") + material + "\n";
        for (int i = 0; i < triangles; ++i) {
            obj += "f 1 2 3\n";
        }
    };
    run("glass", 10);
    run("wood", 10);
    run("glass", 10);
    run("stone", 5);
    run("nowhere", 1);
    auto d = loadObj(obj, {{"m.mtl", "newmtl wood\nnewmtl glass\nd 0.5\nnewmtl stone\n"}});
    ASSERT_EQ(d->getNumberOfMeshes(), 5);
    struct Expected {
        int start, count;
        const char* material;
    } expected[] = {{30, 10, "wood"},
                    {105, 1, "wood"}, // unknown name: material 0
                    {0, 10, "glass"},
                    {60, 10, "glass"},
                    {90, 5, "stone"}};
    // Opaque meshes keep file order, the translucent ones follow.
    std::vector<std::string> order;
    for (const auto& mesh : d->getMeshes()) {
        order.push_back(mesh.material->name + "@" + std::to_string(mesh.startIndex));
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"wood@30", "stone@90", "wood@105", "glass@0", "glass@60"}));
    for (const auto& e : expected) {
        bool found = false;
        for (const auto& mesh : d->getMeshes()) {
            if (mesh.startIndex == e.start) {
                found = true;
                EXPECT_EQ(mesh.triangleCount, e.count);
                EXPECT_EQ(mesh.material->name, e.material);
            }
        }
        EXPECT_TRUE(found) << e.start;
    }
}

TEST(OBJModelDataTest, WithoutALibraryEverythingUsesTheDefaultMaterial) {
    std::vector<std::string> asked;
    auto d = loadObj(std::string("mtllib missing.mtl\nusemtl x\n") + square + "f 1 2 3\n", {},
                     false, &asked, "models/");
    EXPECT_EQ(asked, std::vector<std::string>{"models/missing.mtl"});
    ASSERT_EQ(d->getNumberOfMaterials(), 1);
    EXPECT_EQ(d->getMaterials()[0].name, "default");
    EXPECT_EQ(d->getMaterials()[0].diffuse[0], 0.8f);
    EXPECT_EQ(d->getMaterialCache().at("default"), 0);
    ASSERT_EQ(d->getNumberOfMeshes(), 1);
    EXPECT_EQ(d->getMeshes()[0].material, &d->getMaterials()[0]);

    // A library without definitions counts as none.
    auto empty = loadObj("mtllib e.mtl\n", {{"e.mtl", "# nothing\nKd 1 1 1\n"}});
    EXPECT_EQ(empty->getMaterials()[0].name, "default");
    // A library read after another adds to it; a name defined twice keeps
    // its first definition.
    auto two = loadObj("mtllib a.mtl\nmtllib b.mtl\n",
                       {{"a.mtl", "newmtl x\nd 0.5\n"}, {"b.mtl", "newmtl y\nnewmtl x\n"}});
    EXPECT_EQ(two->getNumberOfMaterials(), 3);
    EXPECT_EQ(two->getMaterialCache().at("x"), 0);
    EXPECT_EQ(two->getMaterialCache().at("y"), 1);
}

TEST(OBJModelDataTest, DirectoryRule) {
    EXPECT_EQ(OBJModelData::directoryOf("res/models\\fence.obj"), "res/models\\");
    EXPECT_EQ(OBJModelData::directoryOf("a\\b/c.obj"), "a\\");
    EXPECT_EQ(OBJModelData::directoryOf("res/fence.obj"), "res/");
    EXPECT_EQ(OBJModelData::directoryOf("fence.obj"), "");

    // A backslash is an ordinary character in a file name here, so the
    // library sits beside a file whose name starts with the same prefix.
    std::string dir = makeScratchDir("obj_directory");
    writeFile(dir + "/x\\quad.obj",
              std::string("mtllib lib.mtl\nusemtl red\n") + square + "f 1 2 3 4\n");
    writeFile(dir + "/x\\lib.mtl", "newmtl red\nKd 1 0 0\n");
    OBJModelData d;
    ASSERT_TRUE(d.load(dir + "/x\\quad.obj", false));
    EXPECT_EQ(d.getDirectory(), dir + "/x\\");
    EXPECT_EQ(d.getMaterials()[0].name, "red");
    EXPECT_EQ(d.getNumberOfTriangles(), 2);

    OBJModelData missing;
    EXPECT_FALSE(missing.load(dir + "/none.obj", false));
    EXPECT_EQ(missing.getNumberOfTriangles(), 0);
    EXPECT_TRUE(missing.getMaterials().empty());
    EXPECT_FALSE(missing.load(dir, false)); // a folder opens but does not read
}

// Files outside the format: every bad face is left out, nothing else is lost.
TEST(OBJModelDataTest, BadFacesAreDroppedAndTheRestLoads) {
    std::string obj = std::string(square) + "vt 0.5 0.5\nvn 0 0 1\n"
                                            "f 1 2 3\n"
                                            "f 0 1 2\n"             // index 0
                                            "f 1 2 9\n"             // past the lines read
                                            "f -5 1 2\n"            // before the first line
                                            "f 1 2\n"               // missing corner
                                            "f 1/1/1 2//1 3/1/1\n"  // mixed forms
                                            "f 1/7/1 2/1/9 3/1/1\n" // bad texture, normal
                                            "f 99999999999 1 2\n"
                                            "f 1 3 4 x 2\n" // stops at x
                                            "f 4 3 1\n"
                                            "f\n"; // no corners at all
    auto d = loadObj(obj);
    std::vector<float> p = positionsOf(*d);
    ASSERT_EQ(d->getNumberOfTriangles(), 4);
    ASSERT_EQ(d->getIndexBuffer().size(), 12u);
    EXPECT_EQ(d->getAttributeBuffer().size(), 4u);
    // The triangle with bad attribute indices kept its corners, with zeros
    // where the index failed.
    const Vertex& withBadTexture = d->getVertexBuffer()[d->getIndexBuffer()[3]];
    EXPECT_EQ(withBadTexture.texCoord[0], 0.0f);
    EXPECT_EQ(withBadTexture.normal[2], 1.0f);
    const Vertex& withBadNormal = d->getVertexBuffer()[d->getIndexBuffer()[4]];
    EXPECT_EQ(withBadNormal.texCoord[0], 0.5f);
    EXPECT_EQ(withBadNormal.normal[2], 0.0f);
    // "f 1 3 4 x 2": one triangle, then x ends the face.
    EXPECT_EQ(p[6 * 3 + 0], 0.0f);
    EXPECT_EQ(p[7 * 3 + 1], 1.0f);
    EXPECT_EQ(p[9 * 3 + 0], 0.0f); // the last face: 4 3 1
    EXPECT_EQ(p[9 * 3 + 1], 1.0f);
}

TEST(OBJModelDataTest, MalformedLinesKeepZerosAndLongTokensAreCut) {
    std::string longName(1000, 'n');
    auto d = loadObj("v 1 abc 3\nv 4 5\nv 7 8 9\nusemtl " + longName + "\n" + "g " +
                     std::string(5000, 'g') + "\nvt 1\r\nf 1/1 2/1 3/1\r\n");
    EXPECT_EQ(d->getVertexCoords(), (std::vector<float>{1, 0, 0, 4, 5, 0, 7, 8, 9}));
    EXPECT_EQ(d->getTextureCoords(), (std::vector<float>{1, 0}));
    EXPECT_EQ(d->getNumberOfTriangles(), 1);
    EXPECT_EQ(d->getAttributeBuffer()[0], 0);
}

// The passes split this file into tokens differently ("1.5vn" is one token
// to a pass that skips lines, two to one that reads numbers): the extra
// lines must not be written past the arrays.
TEST(OBJModelDataTest, PassesThatDisagreeStayInsideTheArrays) {
    auto d = loadObj("v 1 2 1.5vn 4 5 6\nv 0 0 1.5vt 2 3\nv 0 1 2.5v 3 3 3\n"
                     "v 1 1 1f 1 2 3\nf 1 2 3\n");
    EXPECT_EQ(d->getNumberOfVertexCoords(), 4);
    EXPECT_EQ(d->getNumberOfNormals(), 0);
    EXPECT_FALSE(d->getHasTextureCoords());
    EXPECT_EQ(d->getVertexCoords().size(), 12u);
    EXPECT_EQ(d->getNumberOfTriangles(), 1);
}

// Many different vertices on one position: each is still found again, and
// the first built keeps its index, whichever way it is looked up.
TEST(OBJModelDataTest, CrowdedPositionsShareLikeAnyOther) {
    std::string obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const int n = 40;
    for (int i = 0; i < n; ++i) {
        obj += "vt " + std::to_string(i) + " 0\n";
    }
    // Triangle i puts texture coordinate i on position 1, twice over.
    for (int round = 0; round < 2; ++round) {
        for (int i = 1; i <= n; ++i) {
            obj += "f 1/" + std::to_string(i) + " 2/1 3/1\n";
        }
    }
    auto d = loadObj(obj);
    ASSERT_EQ(d->getNumberOfTriangles(), 2 * n);
    EXPECT_EQ(d->getVertexBuffer().size(), size_t(n + 2));
    const auto& ib = d->getIndexBuffer();
    for (int t = 0; t < n; ++t) {
        EXPECT_EQ(ib[3 * (t + n)], ib[3 * t]) << t;
        EXPECT_EQ(d->getVertexBuffer()[ib[3 * t]].texCoord[0], float(t)) << t;
    }
    EXPECT_EQ(ib[3 * n - 2], 1);
}
