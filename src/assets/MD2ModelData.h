#pragma once

#include "assets/IndexPieces.h"
#include "core/Vector3.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The 17 values at the start of an MD2 file.
struct MD2Header {
    int32_t ident;
    int32_t version;
    int32_t skinWidth;
    int32_t skinHeight;
    int32_t frameSize;
    int32_t numSkins;
    int32_t numVertices;
    int32_t numTexCoords;
    int32_t numTriangles;
    int32_t numGlCommands;
    int32_t numFrames;
    int32_t offsetSkins;
    int32_t offsetTexCoords;
    int32_t offsetTriangles;
    int32_t offsetFrames;
    int32_t offsetGlCommands;
    int32_t offsetEnd;
};

struct MD2TexCoord {
    int16_t s;
    int16_t t;
};

struct MD2Triangle {
    uint16_t vertexIndex[3];
    uint16_t texCoordIndex[3];
};

// A frame vertex: a position packed into bytes and an index into the
// normal table.
struct MD2FrameVertex {
    uint8_t v[3];
    uint8_t normalIndex;
};

// One distinct corner the triangles use: a frame vertex with a texture
// coordinate.
struct MD2Corner {
    uint16_t vertexIndex;
    uint16_t texCoordIndex;
};

// A keyframe; its vertices (as many as the header says) lie in the model's
// frame store.
struct MD2Frame {
    Vector3 scale;
    Vector3 translate;
    char name[16];
    const MD2FrameVertex* vertices;
};

// Everything an MD2 file holds, read and checked. The file is refused with
// std::runtime_error unless every array lies inside it and every index in it
// points inside its array, so the drawing code can use them unchecked.
class MD2ModelData {
public:
    static const size_t headerSize = 68;

    explicit MD2ModelData(const std::string& fileName);
    // Reads a file opened by the caller, from its start; it stays open.
    explicit MD2ModelData(FILE* file);
    MD2ModelData(const unsigned char* bytes, size_t size);
    MD2ModelData(const MD2ModelData&) = delete;
    MD2ModelData& operator=(const MD2ModelData&) = delete;

    const MD2Header& getHeader() const { return header; }
    const std::vector<std::array<char, 64>>& getSkinNames() const { return skinNames; }
    const std::vector<MD2TexCoord>& getTexCoords() const { return texCoords; }
    const std::vector<MD2Triangle>& getTriangles() const { return triangles; }
    const std::vector<MD2Frame>& getFrames() const { return frames; }
    const std::vector<int32_t>& getGlCommands() const { return glCommands; }

    // Frame i's name up to its terminating zero.
    std::string frameName(size_t i) const;

    // Corner k of a triangle blended from frame a (t = 0) toward frame b
    // (t = 1): texture coordinate with t flipped, normal, position.
    void blendCorner(const MD2Frame& a, const MD2Frame& b, const MD2Triangle& triangle, int k,
                     float t, float texCoord[2], float normal[3], float position[3]) const;

    // The corners of all triangles, each pair of frame vertex and texture
    // coordinate once within each piece of the draw (a file giving one
    // vertex very many may repeat some), and for each triangle corner in
    // order, the number of its corner: a model shares most corners between
    // triangles, so a draw need blend each once.
    const std::vector<MD2Corner>& getCorners() const { return corners; }
    const std::vector<uint32_t>& getCornerIndices() const { return cornerIndices; }
    // The same indices cut into pieces to draw.
    const IndexPieces& getCornerPieces() const { return cornerPieces; }

    // Every distinct corner blended as blendCorner does, eight floats each
    // (texture coordinate, normal, position), into out.
    void blendCorners(const MD2Frame& a, const MD2Frame& b, float t, std::vector<float>& out) const;

private:
    struct Source;

    void readFile(FILE* file);
    void readHeader(const unsigned char* bytes, size_t size);
    void readBody(const Source& source);

    MD2Header header;
    std::vector<std::array<char, 64>> skinNames;
    std::vector<MD2TexCoord> texCoords;
    std::vector<MD2Triangle> triangles;
    std::vector<MD2Frame> frames;
    std::unique_ptr<MD2FrameVertex[]> frameStore;
    std::vector<int32_t> glCommands;
    std::vector<MD2Corner> corners;
    std::vector<uint32_t> cornerIndices;
    IndexPieces cornerPieces;

    void blend(const MD2Frame& a, const MD2Frame& b, MD2Corner corner, float t, float texCoord[2],
               float normal[3], float position[3]) const;
    void indexCorners();
};
