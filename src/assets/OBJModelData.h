#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TextScanner;

// What an OBJ file and its material library load into: plain arrays that
// the drawing code hands to OpenGL as they are. Loading never touches
// OpenGL, so it runs (and is tested) without a context.
class OBJModelData {
public:
    // One shared vertex, interleaved as the vertex arrays read it.
    struct Vertex {
        float position[3];
        float texCoord[2];
        float normal[3];
    };

    struct Material {
        float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
        float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
        float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        float shininess = 0.0f;
        float alpha = 1.0f;
        std::string name;
        std::string colorMapFileName;
        std::string bumpMapFileName;
    };

    // A run of consecutive triangles drawn with one material.
    struct Mesh {
        int32_t startIndex;
        int32_t triangleCount;
        const Material* material;
    };

    // Fetches a whole file; false when it cannot be read.
    using FileReader = std::function<bool(const std::string& path, std::string* contents)>;

    OBJModelData() {}
    OBJModelData(const OBJModelData&) = delete;
    OBJModelData& operator=(const OBJModelData&) = delete;

    // False only when the OBJ file cannot be read.
    bool load(const std::string& fileName, bool generateNormals);

    // Loads OBJ text already in memory; material libraries named in it are
    // fetched through readFile from directory + their name.
    void loadText(const char* text, size_t size, const std::string& directory, bool generateNormals,
                  const FileReader& readFile);

    static bool readWholeFile(const std::string& path, std::string* contents);
    static std::string directoryOf(const std::string& fileName);

    bool getHasPositions() const { return hasPositions; }
    bool getHasTextureCoords() const { return hasTextureCoords; }
    bool getHasNormals() const { return hasNormals; }
    int32_t getNumberOfVertexCoords() const { return numberOfVertexCoords; }
    int32_t getNumberOfTextureCoords() const { return numberOfTextureCoords; }
    int32_t getNumberOfNormals() const { return numberOfNormals; }
    int32_t getNumberOfTriangles() const { return numberOfTriangles; }
    int32_t getNumberOfMaterials() const { return numberOfMaterials; }
    int32_t getNumberOfMeshes() const { return numberOfMeshes; }
    const std::string& getDirectory() const { return directory; }
    const std::vector<float>& getVertexCoords() const { return vertexCoords; }
    const std::vector<float>& getTextureCoords() const { return textureCoords; }
    const std::vector<float>& getNormals() const { return normals; }
    const std::vector<Vertex>& getVertexBuffer() const { return vertexBuffer; }
    const std::vector<int32_t>& getIndexBuffer() const { return indexBuffer; }
    const std::vector<int32_t>& getAttributeBuffer() const { return attributeBuffer; }
    const std::vector<Mesh>& getMeshes() const { return meshes; }
    const std::vector<Material>& getMaterials() const { return materials; }
    const std::map<std::string, int>& getMaterialCache() const { return materialCache; }

private:
    // How the corners of one face are written, decided by its first corner.
    enum class FaceForm { Position, PositionTexture, PositionTextureNormal, PositionNormal };

    // One face corner as written: the indices that parsed, unresolved.
    struct Corner {
        int position = 0;
        int texture = 0;
        int normal = 0;
        bool hasPosition = false;
        bool hasTexture = false;
        bool hasNormal = false;
    };

    void firstPass(TextScanner& in, const FileReader& readFile);
    void secondPass(TextScanner& in);
    template <class OnTriangle> void readFace(TextScanner& in, OnTriangle onTriangle);
    static FaceForm formOf(std::string_view token, Corner* corner);
    static int parseCorner(TextScanner& in, FaceForm form, Corner* corner);
    static bool readCorner(TextScanner& in, FaceForm form, Corner* corner);
    void storeTriangle(const Corner& c0, const Corner& c1, const Corner& c2, FaceForm form);
    static int32_t resolve(int index, int32_t linesRead);
    int32_t addVertex(int32_t positionIndex, const Vertex& vertex);
    bool importMaterials(const std::string& path, const FileReader& readFile);
    void buildMeshes();
    void generateVertexNormals();

    bool hasPositions = false;
    bool hasTextureCoords = false;
    bool hasNormals = false;
    int32_t numberOfVertexCoords = 0;
    int32_t numberOfTextureCoords = 0;
    int32_t numberOfNormals = 0;
    int32_t numberOfTriangles = 0;
    int32_t numberOfMaterials = 0;
    int32_t numberOfMeshes = 0;
    std::string directory;
    std::vector<float> vertexCoords;
    std::vector<float> textureCoords;
    std::vector<float> normals;
    std::vector<Vertex> vertexBuffer;
    std::vector<int32_t> indexBuffer;
    std::vector<int32_t> attributeBuffer;
    std::vector<Mesh> meshes;
    std::vector<Material> materials;
    std::map<std::string, int> materialCache;

    // The vertex cache maps a position index to the vertices built on it, in
    // the order they were added. Position indices are dense, so it is kept as
    // a table indexed by position (first vertex) and a chain through the
    // vertices (next vertex on the same position): one lookup, no tree walk.
    // The vertices of one position all differ, so once a position gathers
    // crowdLimit of them they are found by hashing their bytes instead, and
    // no file can make the scan long.
    struct VertexHash {
        size_t operator()(const Vertex& v) const;
    };
    struct VertexEqual {
        bool operator()(const Vertex& a, const Vertex& b) const;
    };
    static const uint8_t crowdLimit = 16;
    std::vector<int32_t> firstVertexAt;
    std::vector<int32_t> nextVertexOnPosition;
    std::vector<uint8_t> verticesAt;
    std::unordered_map<Vertex, int32_t, VertexHash, VertexEqual> crowdedVertices;

    // Lines read so far in the second pass.
    int32_t positionsRead = 0;
    int32_t textureCoordsRead = 0;
    int32_t normalsRead = 0;
    int32_t trianglesStored = 0;
    int activeMaterial = 0;
};
