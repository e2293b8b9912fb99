// OBJ files written by other programs, shipped in Debian packages, read by
// our loader and by tinyobjloader: the two must agree on what the file says.
#include "assets/OBJModelData.h"

#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string assimp = "/usr/share/assimp/models/OBJ/";

struct Sample {
    std::string path;
    int triangles; // after triangulation, as both readers count them
};

// From assimp-testmodels (exporters: 3ds Max, MilkShape, Blender, LightWave
// and hand-made oddities) and glmark2-data.
const Sample samples[] = {
    {assimp + "box.obj", 12},
    {assimp + "box_without_lineending.obj", 12},
    {assimp + "concave_polygon.obj", 64}, // one concave face of 66 corners
    {assimp + "cube_mtllib_after_g.obj", 12},
    {assimp + "cube_usemtl.obj", 12},
    {assimp + "cube_with_vertexcolors.obj", 12},
    {assimp + "empty_mat.obj", 256},
    {assimp + "multiple_spaces.obj", 1},
    {assimp + "point_cloud.obj", 0},
    {assimp + "regr01.obj", 2710},
    {assimp + "regr_3429812.obj", 4},
    {assimp + "spider.obj", 1368},
    {assimp + "testline.obj", 0},
    {assimp + "testmixed.obj", 12},
    {assimp + "WusonOBJ.obj", 3732},
    {"/usr/share/glmark2/models/bunny.obj", 69666},
};

struct Reference {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
};

Reference readReference(const std::string& path, bool triangulate) {
    Reference r;
    std::string warn, err;
    std::string dir = std::filesystem::path(path).parent_path().string() + "/";
    tinyobj::LoadObj(&r.attrib, &r.shapes, &r.materials, &warn, &err, path.c_str(), dir.c_str(),
                     triangulate);
    return r;
}

// The two parsers round a few decimals differently in the last place.
bool near(float a, float b) {
    return std::fabs(a - b) <= 1e-6f * std::max(1.0f, std::fabs(b));
}

void expectArray(const std::vector<float>& ours, const std::vector<float>& theirs,
                 const char* what) {
    ASSERT_EQ(ours.size(), theirs.size()) << what;
    int differ = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
        differ += !near(ours[i], theirs[i]);
    }
    EXPECT_EQ(differ, 0) << what;
}

class OBJCrossCheckTest : public ::testing::TestWithParam<Sample> {};

} // namespace

TEST_P(OBJCrossCheckTest, AgreesWithTinyObjLoader) {
    const Sample& sample = GetParam();
    ASSERT_TRUE(std::filesystem::exists(sample.path)) << "scripts/setup.sh installs it";
    OBJModelData ours;
    ASSERT_TRUE(ours.load(sample.path, false));
    Reference polygons = readReference(sample.path, false);
    Reference triangles = readReference(sample.path, true);

    // Triangle counts: a fan of n corners gives n - 2 triangles, and so does
    // the reference's own triangulation as long as no face has more than
    // four corners (beyond that it clips ears, and drops some on faces that
    // fold over themselves).
    size_t fanTriangles = 0, theirTriangles = 0;
    size_t largestFace = 0;
    for (const auto& shape : polygons.shapes) {
        for (unsigned n : shape.mesh.num_face_vertices) {
            fanTriangles += n - 2;
            largestFace = std::max<size_t>(largestFace, n);
        }
    }
    for (const auto& shape : triangles.shapes) {
        theirTriangles += shape.mesh.num_face_vertices.size();
    }
    EXPECT_EQ(ours.getNumberOfTriangles(), sample.triangles);
    EXPECT_EQ(size_t(ours.getNumberOfTriangles()), fanTriangles);
    if (largestFace <= 4) {
        EXPECT_EQ(size_t(ours.getNumberOfTriangles()), theirTriangles);
    }

    const tinyobj::attrib_t& a = polygons.attrib;
    expectArray(ours.getVertexCoords(), a.vertices, "positions");
    expectArray(ours.getTextureCoords(), a.texcoords, "texture coordinates");
    expectArray(ours.getNormals(), a.normals, "normals");

    // Every triangle of our fan, corner by corner, against the polygons the
    // reference read, fanned the same way.
    const auto& vb = ours.getVertexBuffer();
    const auto& ib = ours.getIndexBuffer();
    const auto& materials = ours.getMaterials();
    size_t t = 0;
    int cornersDiffer = 0, materialsDiffer = 0;
    for (const auto& shape : polygons.shapes) {
        size_t first = 0;
        for (size_t face = 0; face < shape.mesh.num_face_vertices.size(); ++face) {
            size_t n = shape.mesh.num_face_vertices[face];
            int material = shape.mesh.material_ids[face];
            for (size_t k = 2; k < n && t < size_t(ours.getNumberOfTriangles()); ++k, ++t) {
                const tinyobj::index_t corners[3] = {shape.mesh.indices[first],
                                                     shape.mesh.indices[first + k - 1],
                                                     shape.mesh.indices[first + k]};
                for (int c = 0; c < 3; ++c) {
                    const auto& v = vb[ib[3 * t + c]];
                    const tinyobj::index_t& i = corners[c];
                    bool same = true;
                    for (int d = 0; d < 3; ++d) {
                        same &= near(v.position[d], a.vertices[3 * i.vertex_index + d]);
                        float normal =
                            i.normal_index < 0 ? 0.0f : a.normals[3 * i.normal_index + d];
                        // Without normals in the file ours are generated.
                        same &= !ours.getNumberOfNormals() || near(v.normal[d], normal);
                    }
                    for (int d = 0; d < 2; ++d) {
                        float tc =
                            i.texcoord_index < 0 ? 0.0f : a.texcoords[2 * i.texcoord_index + d];
                        same &= near(v.texCoord[d], tc);
                    }
                    cornersDiffer += !same;
                }
                // Without a known material the reference says -1; ours takes
                // material 0.
                int ourMaterial = ours.getAttributeBuffer()[t];
                bool sameMaterial =
                    material < 0 ? ourMaterial == 0
                                 : materials[ourMaterial].name == polygons.materials[material].name;
                materialsDiffer += !sameMaterial;
            }
            first += n;
        }
    }
    EXPECT_EQ(t, size_t(ours.getNumberOfTriangles()));
    EXPECT_EQ(cornersDiffer, 0);
    EXPECT_EQ(materialsDiffer, 0);

    if (polygons.materials.empty()) {
        ASSERT_EQ(materials.size(), 1u);
        EXPECT_EQ(materials[0].name, "default");
        return;
    }
    ASSERT_EQ(materials.size(), polygons.materials.size());
    for (size_t m = 0; m < materials.size(); ++m) {
        const auto& mine = materials[m];
        const auto& theirs = polygons.materials[m];
        SCOPED_TRACE(theirs.name);
        EXPECT_EQ(mine.name, theirs.name);
        for (int c = 0; c < 3; ++c) {
            EXPECT_FLOAT_EQ(mine.ambient[c], theirs.ambient[c]);
            EXPECT_FLOAT_EQ(mine.diffuse[c], theirs.diffuse[c]);
            EXPECT_FLOAT_EQ(mine.specular[c], theirs.illum == 1 ? 0.0f : theirs.specular[c]);
        }
        EXPECT_FLOAT_EQ(mine.alpha, theirs.dissolve);
        // Ns and Ni both set our shininess, a thousandth of the later one.
        float n = mine.shininess * 1000.0f;
        EXPECT_TRUE(near(n, theirs.shininess) || near(n, theirs.ior)) << n;
        EXPECT_EQ(mine.colorMapFileName, theirs.diffuse_texname);
    }
}

INSTANTIATE_TEST_SUITE_P(PackagedSamples, OBJCrossCheckTest, ::testing::ValuesIn(samples),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                             std::string name = std::filesystem::path(info.param.path).stem();
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

// Files that break the format, and one in another encoding, load without
// harm whatever they give.
TEST(OBJCrossCheckTest, BrokenPackagedFilesLoadSafely) {
    for (const char* file : {"/usr/share/assimp/models/invalid/empty.obj",
                             "/usr/share/assimp/models/invalid/malformed.obj",
                             "/usr/share/assimp/models/invalid/malformed2.obj",
                             "/usr/share/assimp/models/OBJ/box_UTF16BE.obj",
                             "/usr/share/assimp/models/OBJ/number_formats.obj"}) {
        OBJModelData d;
        ASSERT_TRUE(d.load(file, false)) << file;
        EXPECT_EQ(d.getIndexBuffer().size(), 3 * size_t(d.getNumberOfTriangles())) << file;
    }
}

// Material names with spaces: a reader that keeps whole lines and ours,
// which takes the first word, part ways; ours must still find its own names.
TEST(OBJCrossCheckTest, MaterialNamesWithSpacesKeepTheirFirstWord) {
    OBJModelData d;
    ASSERT_TRUE(d.load(assimp + "space_in_material_name.obj", false));
    ASSERT_EQ(d.getNumberOfMaterials(), 1);
    EXPECT_EQ(d.getMaterials()[0].name, "Hard");
    ASSERT_GT(d.getNumberOfTriangles(), 0);
    EXPECT_EQ(d.getAttributeBuffer()[0], 0);
    EXPECT_FLOAT_EQ(d.getMaterials()[0].diffuse[2], 0.411765f);
}

// One face of 936 corners on one 1,874-character line: read whole, past any
// line buffer, and fanned into 934 triangles.
TEST(OBJCrossCheckTest, VeryLongFaceLine) {
    OBJModelData d;
    ASSERT_TRUE(d.load(assimp + "box_longline.obj", false));
    ASSERT_EQ(d.getNumberOfTriangles(), 934 + 5 * 2);
    // Its corners cycle through positions 1 2 3 4: the last triangle of the
    // fan is (1, 3, 4).
    const auto& vb = d.getVertexBuffer();
    const auto& ib = d.getIndexBuffer();
    const auto& p = d.getVertexCoords();
    const int expected[3] = {0, 2, 3};
    for (int c = 0; c < 3; ++c) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(vb[ib[3 * 933 + c]].position[k], p[3 * expected[c] + k]);
        }
    }
    // Vertices are shared before normals are made: one per position.
    EXPECT_EQ(vb.size(), 8u);
}
