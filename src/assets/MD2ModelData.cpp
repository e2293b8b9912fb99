#include "assets/MD2ModelData.h"

#include "assets/MD2Normals.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

int32_t readInt32(const unsigned char* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

uint16_t readUint16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

float readFloat32(const unsigned char* p) {
    uint32_t bits = static_cast<uint32_t>(readInt32(p));
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

[[noreturn]] void refuse(const char* problem) {
    throw std::runtime_error(std::string("Bad file data: ") + problem);
}

// Where a section of count records of recordSize bytes starts, after making
// sure all of it lies inside the file.
const unsigned char* section(const unsigned char* bytes, size_t size, int32_t offset, int32_t count,
                             size_t recordSize, const char* problem) {
    if (offset < 0 || size_t(offset) > size) {
        refuse(problem);
    }
    // Divided rather than multiplied so that no product can overflow.
    if (count > 0 && recordSize > (size - size_t(offset)) / size_t(count)) {
        refuse(problem);
    }
    return bytes + offset;
}

} // namespace

MD2ModelData::MD2ModelData(const std::string& fileName) {
    FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) {
        throw std::runtime_error("Couldn't open file");
    }
    // The header is judged before anything beyond it is read.
    std::vector<unsigned char> bytes(headerSize);
    bytes.resize(std::fread(bytes.data(), 1, headerSize, file));
    try {
        readHeader(bytes.data(), bytes.size());
    } catch (...) {
        std::fclose(file);
        throw;
    }
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    std::fclose(file);
    readBody(bytes.data(), bytes.size());
}

MD2ModelData::MD2ModelData(const unsigned char* bytes, size_t size) {
    readHeader(bytes, size);
    readBody(bytes, size);
}

void MD2ModelData::readHeader(const unsigned char* bytes, size_t size) {
    if (size < 4 || std::memcmp(bytes, "IDP2", 4) != 0) {
        throw std::runtime_error("Bad file ident");
    }
    if (size < 8 || readInt32(bytes + 4) != 8) {
        throw std::runtime_error("Bad file version");
    }
    if (size < headerSize) {
        refuse("header cut short");
    }
    static_assert(sizeof(MD2Header) == headerSize, "the header is 17 plain integers");
    int32_t fields[headerSize / 4];
    for (size_t i = 0; i < headerSize / 4; ++i) {
        fields[i] = readInt32(bytes + 4 * i);
    }
    std::memcpy(&header, fields, sizeof header);
}

void MD2ModelData::readBody(const unsigned char* bytes, size_t size) {
    const MD2Header& h = header;
    for (int32_t count : {h.numSkins, h.numVertices, h.numTexCoords, h.numTriangles,
                          h.numGlCommands, h.numFrames}) {
        if (count < 0) {
            refuse("negative count");
        }
    }

    const unsigned char* p =
        section(bytes, size, h.offsetSkins, h.numSkins, 64, "skins past end of file");
    skinNames.resize(h.numSkins);
    for (auto& name : skinNames) {
        std::memcpy(name.data(), p, 64);
        p += 64;
    }

    p = section(bytes, size, h.offsetTexCoords, h.numTexCoords, 4,
                "texture coordinates past end of file");
    texCoords.resize(h.numTexCoords);
    for (MD2TexCoord& tc : texCoords) {
        tc.s = static_cast<int16_t>(readUint16(p));
        tc.t = static_cast<int16_t>(readUint16(p + 2));
        p += 4;
    }

    p = section(bytes, size, h.offsetTriangles, h.numTriangles, 12, "triangles past end of file");
    triangles.resize(h.numTriangles);
    for (MD2Triangle& tri : triangles) {
        for (int k = 0; k < 3; ++k) {
            tri.vertexIndex[k] = readUint16(p + 2 * k);
            tri.texCoordIndex[k] = readUint16(p + 6 + 2 * k);
            if (tri.vertexIndex[k] >= h.numVertices) {
                refuse("triangle vertex index out of range");
            }
            if (tri.texCoordIndex[k] >= h.numTexCoords) {
                refuse("texture coordinate index out of range");
            }
        }
        p += 12;
    }
    if (h.numTriangles > 0 && (h.skinWidth <= 0 || h.skinHeight <= 0)) {
        refuse("skin size not positive");
    }

    // Frames are stepped by their own layout; the header's frame size is
    // not trusted.
    size_t frameBytes = 40 + 4 * size_t(h.numVertices);
    p = section(bytes, size, h.offsetFrames, h.numFrames, frameBytes, "frames past end of file");
    frames.resize(h.numFrames);
    for (MD2Frame& frame : frames) {
        frame.scale = Vector3(readFloat32(p), readFloat32(p + 4), readFloat32(p + 8));
        frame.translate = Vector3(readFloat32(p + 12), readFloat32(p + 16), readFloat32(p + 20));
        std::memcpy(frame.name, p + 24, sizeof frame.name);
        if (std::memchr(frame.name, '\0', sizeof frame.name) == nullptr) {
            refuse("frame name not terminated");
        }
        static_assert(sizeof(MD2FrameVertex) == 4, "frame vertices are copied as they lie");
        frame.vertices.resize(h.numVertices);
        if (h.numVertices > 0) {
            std::memcpy(frame.vertices.data(), p + 40, 4 * size_t(h.numVertices));
        }
        for (const MD2FrameVertex& v : frame.vertices) {
            if (v.normalIndex >= md2NormalCount) {
                refuse("normal index out of range");
            }
        }
        p += frameBytes;
    }

    p = section(bytes, size, h.offsetGlCommands, h.numGlCommands, 4,
                "command list past end of file");
    glCommands.resize(h.numGlCommands);
    for (int32_t& command : glCommands) {
        command = readInt32(p);
        p += 4;
    }
}

std::string MD2ModelData::frameName(size_t i) const {
    return std::string(frames.at(i).name);
}

void MD2ModelData::blendCorner(const MD2Frame& a, const MD2Frame& b, const MD2Triangle& triangle,
                               int k, float t, float texCoord[2], float normal[3],
                               float position[3]) const {
    // Loading checked every index used here against its array.
    const MD2TexCoord& tc = texCoords[triangle.texCoordIndex[k]];
    texCoord[0] = tc.s / static_cast<float>(header.skinWidth);
    texCoord[1] = 1.0f - tc.t / static_cast<float>(header.skinHeight);

    const MD2FrameVertex& va = a.vertices[triangle.vertexIndex[k]];
    const MD2FrameVertex& vb = b.vertices[triangle.vertexIndex[k]];
    const float* na = md2Normals[va.normalIndex];
    const float* nb = md2Normals[vb.normalIndex];
    const float scaleA[3] = {a.scale.x, a.scale.y, a.scale.z};
    const float scaleB[3] = {b.scale.x, b.scale.y, b.scale.z};
    const float moveA[3] = {a.translate.x, a.translate.y, a.translate.z};
    const float moveB[3] = {b.translate.x, b.translate.y, b.translate.z};
    for (int c = 0; c < 3; ++c) {
        normal[c] = na[c] + t * (nb[c] - na[c]);
        float pa = va.v[c] * scaleA[c] + moveA[c];
        float pb = vb.v[c] * scaleB[c] + moveB[c];
        position[c] = pa + t * (pb - pa);
    }
}
