#include "Md2File.h"

#include "assets/MD2Normals.h"
#include "md2/MD2Writer.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace content {

namespace {

// A float as the command list stores it, among its integers.
int32_t bitsOf(float f) {
    int32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

} // namespace

int nearestMd2Normal(Vec3 n) {
    int best = 0;
    float bestDot = -2;
    for (int i = 0; i < md2NormalCount; ++i) {
        float d = n.x * md2Normals[i][0] + n.y * md2Normals[i][1] + n.z * md2Normals[i][2];
        if (d > bestDot) {
            bestDot = d;
            best = i;
        }
    }
    return best;
}

std::string frameName(const std::string& animation, int index) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%02d", animation.c_str(), index);
    return buffer;
}

std::vector<uint8_t> writeMd2(const Mesh& mesh, int skinWidth, int skinHeight,
                              const std::vector<Md2Frame>& frames, const std::string& skinName) {
    const size_t numVerts = mesh.pos.size();
    if (numVerts > 65535 || mesh.st.size() > 65535)
        throw std::runtime_error("model too large for 16-bit indices");
    // The file's vertex count is the frames' own.
    if (frames.empty())
        throw std::runtime_error("model without frames");
    MD2Writer w;
    w.skinWidth = skinWidth;
    w.skinHeight = skinHeight;
    w.skins = {skinName};
    for (Vec2 t : mesh.st)
        w.texCoords.push_back({int16_t(std::lround(t.x)), int16_t(std::lround(t.y))});
    for (const Mesh::Tri& t : mesh.tris) {
        w.triangles.push_back({{uint16_t(t.v[0]), uint16_t(t.v[1]), uint16_t(t.v[2])},
                               {uint16_t(t.t[0]), uint16_t(t.t[1]), uint16_t(t.t[2])}});
    }
    for (const Md2Frame& f : frames) {
        if (f.name.size() > 15 || f.pos.size() != numVerts || f.normal.size() != numVerts)
            throw std::runtime_error("bad frame " + f.name);
        Vec3 lo = f.pos[0], hi = f.pos[0];
        for (Vec3 p : f.pos) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        Vec3 scale = (hi - lo) / 255.0f;
        scale = {std::max(scale.x, 1e-5f), std::max(scale.y, 1e-5f), std::max(scale.z, 1e-5f)};
        MD2Writer::Frame frame;
        frame.scale = Vector3(scale.x, scale.y, scale.z);
        frame.translate = Vector3(lo.x, lo.y, lo.z);
        frame.name = f.name;
        auto q = [](float v) { return uint8_t(std::min(255L, std::max(0L, std::lround(v)))); };
        for (size_t i = 0; i < numVerts; ++i) {
            Vec3 p = f.pos[i];
            frame.vertices.push_back(
                {{q((p.x - lo.x) / scale.x), q((p.y - lo.y) / scale.y), q((p.z - lo.z) / scale.z)},
                 uint8_t(nearestMd2Normal(f.normal[i]))});
        }
        w.frames.push_back(frame);
    }
    for (const Mesh::Tri& t : mesh.tris) {
        w.glCommands.push_back(3); // a strip of three vertices
        for (int k = 0; k < 3; ++k) {
            Vec2 st = mesh.st[size_t(t.t[k])];
            w.glCommands.push_back(bitsOf(st.x / skinWidth));
            w.glCommands.push_back(bitsOf(st.y / skinHeight));
            w.glCommands.push_back(t.v[k]);
        }
    }
    w.glCommands.push_back(0);
    return w.bytes();
}

} // namespace content
