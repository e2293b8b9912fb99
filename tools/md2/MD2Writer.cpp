#include "md2/MD2Writer.h"

#include <cstdio>
#include <cstring>

namespace {

void put32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
}

void put16(std::vector<unsigned char>& out, uint16_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void putFloat(std::vector<unsigned char>& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    put32(out, bits);
}

// A name in a fixed field, zero-padded and cut to leave its terminating zero.
void putName(std::vector<unsigned char>& out, const std::string& name, size_t field) {
    for (size_t i = 0; i < field; ++i) {
        out.push_back(i + 1 < field && i < name.size() ? static_cast<unsigned char>(name[i]) : 0);
    }
}

} // namespace

std::vector<unsigned char> MD2Writer::bytes() const {
    int32_t numVertices = frames.empty() ? 0 : static_cast<int32_t>(frames[0].vertices.size());
    int32_t frameSize = 40 + 4 * numVertices;
    int32_t offsetSkins = 68;
    int32_t offsetTexCoords = offsetSkins + 64 * int32_t(skins.size());
    int32_t offsetTriangles = offsetTexCoords + 4 * int32_t(texCoords.size());
    int32_t offsetFrames = offsetTriangles + 12 * int32_t(triangles.size());
    int32_t offsetGlCommands = offsetFrames + frameSize * int32_t(frames.size());
    int32_t offsetEnd = offsetGlCommands + 4 * int32_t(glCommands.size());

    std::vector<unsigned char> out;
    out.reserve(offsetEnd);
    const int32_t header[] = {0x32504449,
                              8,
                              skinWidth,
                              skinHeight,
                              frameSize,
                              int32_t(skins.size()),
                              numVertices,
                              int32_t(texCoords.size()),
                              int32_t(triangles.size()),
                              int32_t(glCommands.size()),
                              int32_t(frames.size()),
                              offsetSkins,
                              offsetTexCoords,
                              offsetTriangles,
                              offsetFrames,
                              offsetGlCommands,
                              offsetEnd};
    for (int32_t v : header) {
        put32(out, static_cast<uint32_t>(v));
    }
    for (const std::string& skin : skins) {
        putName(out, skin, 64);
    }
    for (const MD2TexCoord& tc : texCoords) {
        put16(out, static_cast<uint16_t>(tc.s));
        put16(out, static_cast<uint16_t>(tc.t));
    }
    for (const MD2Triangle& tri : triangles) {
        for (uint16_t v : tri.vertexIndex) {
            put16(out, v);
        }
        for (uint16_t v : tri.texCoordIndex) {
            put16(out, v);
        }
    }
    for (const Frame& frame : frames) {
        for (const Vector3* v : {&frame.scale, &frame.translate}) {
            putFloat(out, v->x);
            putFloat(out, v->y);
            putFloat(out, v->z);
        }
        putName(out, frame.name, 16);
        for (const MD2FrameVertex& v : frame.vertices) {
            out.insert(out.end(), {v.v[0], v.v[1], v.v[2], v.normalIndex});
        }
    }
    for (int32_t c : glCommands) {
        put32(out, static_cast<uint32_t>(c));
    }
    return out;
}

bool MD2Writer::write(const std::string& fileName) const {
    std::vector<unsigned char> data = bytes();
    FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) {
        return false;
    }
    bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && ok;
}
