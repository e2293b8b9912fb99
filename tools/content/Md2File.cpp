#include "Md2File.h"

#include "assets/MD2Normals.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace content {

namespace {

class Writer {
public:
    std::vector<uint8_t> bytes;
    void i32(int32_t v) {
        uint32_t u = uint32_t(v);
        for (int k = 0; k < 4; ++k)
            bytes.push_back(uint8_t(u >> (8 * k)));
    }
    void i16(int v) {
        uint16_t u = uint16_t(int16_t(v));
        bytes.push_back(uint8_t(u));
        bytes.push_back(uint8_t(u >> 8));
    }
    void f32(float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        i32(int32_t(u));
    }
    void u8(uint8_t v) { bytes.push_back(v); }
    void text(const std::string& s, size_t size) {
        for (size_t k = 0; k < size; ++k)
            bytes.push_back(k < s.size() ? uint8_t(s[k]) : 0);
    }
};

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
    const int numVerts = int(mesh.pos.size());
    const int numSt = int(mesh.st.size());
    const int numTris = int(mesh.tris.size());
    const int numFrames = int(frames.size());
    if (numVerts > 65535 || numSt > 65535)
        throw std::runtime_error("model too large for 16-bit indices");
    const int frameSize = 40 + 4 * numVerts;
    const int numGlCmds = numTris * (1 + 3 * 3) + 1;

    const int ofsSkins = 68;
    const int ofsSt = ofsSkins + 64;
    const int ofsTris = ofsSt + 4 * numSt;
    const int ofsFrames = ofsTris + 12 * numTris;
    const int ofsGlCmds = ofsFrames + frameSize * numFrames;
    const int ofsEnd = ofsGlCmds + 4 * numGlCmds;

    Writer w;
    w.text("IDP2", 4);
    w.i32(8);
    w.i32(skinWidth);
    w.i32(skinHeight);
    w.i32(frameSize);
    w.i32(1);
    w.i32(numVerts);
    w.i32(numSt);
    w.i32(numTris);
    w.i32(numGlCmds);
    w.i32(numFrames);
    w.i32(ofsSkins);
    w.i32(ofsSt);
    w.i32(ofsTris);
    w.i32(ofsFrames);
    w.i32(ofsGlCmds);
    w.i32(ofsEnd);

    w.text(skinName, 64);
    for (Vec2 t : mesh.st) {
        w.i16(int(std::lround(t.x)));
        w.i16(int(std::lround(t.y)));
    }
    for (const Mesh::Tri& t : mesh.tris) {
        for (int k = 0; k < 3; ++k)
            w.i16(t.v[k]);
        for (int k = 0; k < 3; ++k)
            w.i16(t.t[k]);
    }
    for (const Md2Frame& f : frames) {
        if (f.name.size() > 15 || int(f.pos.size()) != numVerts || int(f.normal.size()) != numVerts)
            throw std::runtime_error("bad frame " + f.name);
        Vec3 lo = f.pos[0], hi = f.pos[0];
        for (Vec3 p : f.pos) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        Vec3 scale = (hi - lo) / 255.0f;
        scale = {std::max(scale.x, 1e-5f), std::max(scale.y, 1e-5f), std::max(scale.z, 1e-5f)};
        w.f32(scale.x);
        w.f32(scale.y);
        w.f32(scale.z);
        w.f32(lo.x);
        w.f32(lo.y);
        w.f32(lo.z);
        w.text(f.name, 16);
        auto q = [](float v) { return uint8_t(std::min(255L, std::max(0L, std::lround(v)))); };
        for (int i = 0; i < numVerts; ++i) {
            Vec3 p = f.pos[size_t(i)];
            w.u8(q((p.x - lo.x) / scale.x));
            w.u8(q((p.y - lo.y) / scale.y));
            w.u8(q((p.z - lo.z) / scale.z));
            w.u8(uint8_t(nearestMd2Normal(f.normal[size_t(i)])));
        }
    }
    for (const Mesh::Tri& t : mesh.tris) {
        w.i32(3); // a strip of three vertices
        for (int k = 0; k < 3; ++k) {
            Vec2 st = mesh.st[size_t(t.t[k])];
            w.f32(st.x / skinWidth);
            w.f32(st.y / skinHeight);
            w.i32(t.v[k]);
        }
    }
    w.i32(0);
    if (int(w.bytes.size()) != ofsEnd)
        throw std::logic_error("model file size mismatch");
    return w.bytes;
}

} // namespace content
