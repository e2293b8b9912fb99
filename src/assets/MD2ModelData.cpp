#include "assets/MD2ModelData.h"

#include "assets/MD2Normals.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <sys/stat.h>

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

// Refuses a section of count records of recordSize bytes at offset unless
// all of it lies inside a file of size bytes.
void checkSection(size_t size, int32_t offset, int32_t count, size_t recordSize,
                  const char* problem) {
    if (offset < 0 || size_t(offset) > size) {
        refuse(problem);
    }
    // Divided rather than multiplied so that no product can overflow.
    if (count > 0 && recordSize > (size - size_t(offset)) / size_t(count)) {
        refuse(problem);
    }
}

// Whether every vertex's normal index (its fourth byte) is below 162. Two
// vertices are tested at once: 94 added to a normal byte carries into the
// bit above it exactly when the byte is 162 or more.
bool normalsInRange(const unsigned char* p, size_t count) {
    static_assert(md2NormalCount == 162, "the carry test is built for 162");
    uint64_t carries = 0;
    size_t i = 0;
    for (; i + 2 <= count; i += 2, p += 8) {
        uint64_t pair = uint64_t(readInt32(p)) & 0xFFFFFFFFull;
        pair |= uint64_t(uint32_t(readInt32(p + 4))) << 32;
        carries |= ((pair >> 24) & 0x000000FF000000FFull) + 0x0000005E0000005Eull;
    }
    if (i < count && p[3] >= md2NormalCount) {
        return false;
    }
    return (carries & 0x0000010000000100ull) == 0;
}

} // namespace

// The file's bytes, in memory or read from an open file at an offset. Every
// section is checked against the size before any of it is read, and each is
// read once, straight into its array.
struct MD2ModelData::Source {
    const unsigned char* memory;
    FILE* file;
    size_t size;

    void read(size_t offset, void* dest, size_t n) const {
        if (n == 0) {
            return;
        }
        if (memory) {
            std::memcpy(dest, memory + offset, n);
            return;
        }
        // A short read means the file shrank while it was read.
        if (fseeko(file, off_t(offset), SEEK_SET) != 0 || std::fread(dest, 1, n, file) != n) {
            refuse("file cut short while reading");
        }
    }
};

MD2ModelData::MD2ModelData(const std::string& fileName) {
    FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) {
        throw std::runtime_error("Couldn't open file");
    }
    try {
        readFile(file);
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::fclose(file);
}

MD2ModelData::MD2ModelData(FILE* file) {
    readFile(file);
}

MD2ModelData::MD2ModelData(const unsigned char* bytes, size_t size) {
    readHeader(bytes, size);
    readBody(Source{bytes, nullptr, size});
}

void MD2ModelData::readFile(FILE* file) {
    // The header is judged before anything beyond it is read.
    unsigned char head[headerSize];
    readHeader(head, std::fread(head, 1, headerSize, file));
    struct stat info;
    size_t size = fstat(fileno(file), &info) == 0 ? size_t(info.st_size) : 0;
    readBody(Source{nullptr, file, size});
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

void MD2ModelData::readBody(const Source& source) {
    const MD2Header& h = header;
    for (int32_t count : {h.numSkins, h.numVertices, h.numTexCoords, h.numTriangles,
                          h.numGlCommands, h.numFrames}) {
        if (count < 0) {
            refuse("negative count");
        }
    }
    // Frames are stepped by their own layout; the header's frame size is
    // not trusted.
    const size_t frameBytes = 40 + 4 * size_t(h.numVertices);
    checkSection(source.size, h.offsetSkins, h.numSkins, 64, "skins past end of file");
    checkSection(source.size, h.offsetTexCoords, h.numTexCoords, 4,
                 "texture coordinates past end of file");
    checkSection(source.size, h.offsetTriangles, h.numTriangles, 12, "triangles past end of file");
    checkSection(source.size, h.offsetFrames, h.numFrames, frameBytes, "frames past end of file");
    checkSection(source.size, h.offsetGlCommands, h.numGlCommands, 4,
                 "command list past end of file");
    if (h.numTriangles > 0 && (h.skinWidth <= 0 || h.skinHeight <= 0)) {
        refuse("skin size not positive");
    }

    skinNames.resize(h.numSkins);
    for (size_t i = 0; i < skinNames.size(); ++i) {
        source.read(h.offsetSkins + 64 * i, skinNames[i].data(), 64);
    }

    std::vector<unsigned char> raw(4 * size_t(h.numTexCoords));
    source.read(h.offsetTexCoords, raw.data(), raw.size());
    texCoords.resize(h.numTexCoords);
    for (size_t i = 0; i < texCoords.size(); ++i) {
        texCoords[i].s = static_cast<int16_t>(readUint16(&raw[4 * i]));
        texCoords[i].t = static_cast<int16_t>(readUint16(&raw[4 * i + 2]));
    }

    raw.resize(12 * size_t(h.numTriangles));
    source.read(h.offsetTriangles, raw.data(), raw.size());
    triangles.resize(h.numTriangles);
    for (size_t i = 0; i < triangles.size(); ++i) {
        MD2Triangle& tri = triangles[i];
        for (int k = 0; k < 3; ++k) {
            tri.vertexIndex[k] = readUint16(&raw[12 * i + 2 * k]);
            tri.texCoordIndex[k] = readUint16(&raw[12 * i + 6 + 2 * k]);
            if (tri.vertexIndex[k] >= h.numVertices) {
                refuse("triangle vertex index out of range");
            }
            if (tri.texCoordIndex[k] >= h.numTexCoords) {
                refuse("texture coordinate index out of range");
            }
        }
    }

    // The frames section is read whole into a store of 4-byte slots: each
    // frame's 40-byte head takes ten of them, its vertices follow.
    static_assert(sizeof(MD2FrameVertex) == 4, "frame vertices are read as they lie");
    const size_t frameSlots = frameBytes / 4;
    // Left uninitialised: the read fills every slot.
    frameStore.reset(new MD2FrameVertex[frameSlots * size_t(h.numFrames)]);
    source.read(h.offsetFrames, frameStore.get(), frameBytes * size_t(h.numFrames));
    frames.resize(h.numFrames);
    for (size_t f = 0; f < frames.size(); ++f) {
        MD2Frame& frame = frames[f];
        unsigned char head[40];
        std::memcpy(head, frameStore.get() + frameSlots * f, sizeof head);
        frame.scale = Vector3(readFloat32(head), readFloat32(head + 4), readFloat32(head + 8));
        frame.translate =
            Vector3(readFloat32(head + 12), readFloat32(head + 16), readFloat32(head + 20));
        std::memcpy(frame.name, head + 24, sizeof frame.name);
        if (std::memchr(frame.name, '\0', sizeof frame.name) == nullptr) {
            refuse("frame name not terminated");
        }
        frame.vertices = frameStore.get() + frameSlots * f + 10;
        if (!normalsInRange(reinterpret_cast<const unsigned char*>(frame.vertices),
                            size_t(h.numVertices))) {
            refuse("normal index out of range");
        }
    }

    raw.resize(4 * size_t(h.numGlCommands));
    source.read(h.offsetGlCommands, raw.data(), raw.size());
    glCommands.resize(h.numGlCommands);
    for (size_t i = 0; i < glCommands.size(); ++i) {
        glCommands[i] = readInt32(&raw[4 * i]);
    }
    indexCorners();
}

std::string MD2ModelData::frameName(size_t i) const {
    return std::string(frames.at(i).name);
}

void MD2ModelData::blendCorner(const MD2Frame& a, const MD2Frame& b, const MD2Triangle& triangle,
                               int k, float t, float texCoord[2], float normal[3],
                               float position[3]) const {
    blend(a, b, MD2Corner{triangle.vertexIndex[k], triangle.texCoordIndex[k]}, t, texCoord, normal,
          position);
}

void MD2ModelData::blendCorners(const MD2Frame& a, const MD2Frame& b, float t,
                                std::vector<float>& out) const {
    out.resize(8 * corners.size());
    float* next = out.data();
    for (const MD2Corner& corner : corners) {
        blend(a, b, corner, t, next, next + 2, next + 5);
        next += 8;
    }
}

void MD2ModelData::blend(const MD2Frame& a, const MD2Frame& b, MD2Corner corner, float t,
                         float texCoord[2], float normal[3], float position[3]) const {
    // Loading checked every index used here against its array.
    const MD2TexCoord& tc = texCoords[corner.texCoordIndex];
    texCoord[0] = tc.s / static_cast<float>(header.skinWidth);
    texCoord[1] = 1.0f - tc.t / static_cast<float>(header.skinHeight);

    const MD2FrameVertex& va = a.vertices[corner.vertexIndex];
    const MD2FrameVertex& vb = b.vertices[corner.vertexIndex];
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

void MD2ModelData::indexCorners() {
    // The corners met so far are chained per frame vertex; a vertex rarely
    // has more than a few texture coordinates. A file that gives one vertex
    // very many is not searched without end: past a short walk its corner
    // is simply added again, which draws the same.
    const uint32_t none = UINT32_MAX;
    const int longestWalk = 16;
    // Sized by the indices the triangles use, never by the header's count,
    // which a file without frames may set to anything.
    size_t vertices = 0;
    for (const MD2Triangle& triangle : triangles) {
        for (uint16_t vertex : triangle.vertexIndex) {
            vertices = std::max(vertices, size_t(vertex) + 1);
        }
    }
    std::vector<uint32_t> firstWithVertex(vertices, none);
    std::vector<uint32_t> nextWithVertex;
    cornerIndices.clear();
    cornerIndices.reserve(3 * triangles.size());
    // Each piece of the draw lists its own corners, so that they lie
    // together: a corner shared across pieces is listed once in each.
    const size_t trianglesPerPiece = IndexPieces::MAX_INDICES / 3;
    for (size_t i = 0; i < triangles.size(); ++i) {
        const MD2Triangle& triangle = triangles[i];
        if (i % trianglesPerPiece == 0 && i > 0) {
            std::fill(firstWithVertex.begin(), firstWithVertex.end(), none);
        }
        for (int k = 0; k < 3; ++k) {
            const uint16_t vertex = triangle.vertexIndex[k];
            const uint16_t texCoord = triangle.texCoordIndex[k];
            uint32_t found = firstWithVertex[vertex];
            int walked = 0;
            while (found != none && corners[found].texCoordIndex != texCoord) {
                found = ++walked < longestWalk ? nextWithVertex[found] : none;
            }
            if (found == none) {
                found = static_cast<uint32_t>(corners.size());
                corners.push_back(MD2Corner{vertex, texCoord});
                nextWithVertex.push_back(walked < longestWalk ? firstWithVertex[vertex] : none);
                if (walked < longestWalk) {
                    firstWithVertex[vertex] = found;
                }
            }
            cornerIndices.push_back(found);
        }
    }
    cornerPieces.build(cornerIndices.data(), cornerIndices.size(), 3);
}
