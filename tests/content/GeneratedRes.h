#pragma once

#include "support/TestFiles.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// Where the build wrote the generated res/ folder.
inline std::string resPath(const std::string& name) {
    return std::string(MORROWFEN_GAME_DIR) + "/res/" + name;
}

// A keyframe model file read independently of the game's loader, with every
// field range-checked, for checking what the generator wrote.
struct Md2Contents {
    struct Frame {
        std::string name;
        std::vector<float> xyz; // decoded positions, 3 per vertex
        std::vector<int> normal;
    };
    int skinWidth = 0, skinHeight = 0, vertices = 0;
    std::vector<int> st;        // 2 per texture coordinate
    std::vector<int> triangles; // 6 per triangle: 3 vertex, 3 texture indices
    std::vector<Frame> frames;
};

namespace md2detail {

inline int32_t i32(const std::vector<unsigned char>& b, size_t at) {
    if (at + 4 > b.size())
        throw std::runtime_error("read past the end at " + std::to_string(at));
    uint32_t v = uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                 uint32_t(b[at + 3]) << 24;
    return int32_t(v);
}

inline int i16(const std::vector<unsigned char>& b, size_t at) {
    if (at + 2 > b.size())
        throw std::runtime_error("read past the end at " + std::to_string(at));
    return int16_t(uint16_t(b[at] | b[at + 1] << 8));
}

inline float f32(const std::vector<unsigned char>& b, size_t at) {
    int32_t v = md2detail::i32(b, at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

inline std::string cutName(const std::string& name) {
    size_t digit = name.find_first_of("0123456789");
    if (digit == std::string::npos)
        return name;
    if (name.size() - digit == 3 && name[digit] != '0')
        return name.substr(0, digit + 1);
    return name.substr(0, digit);
}

} // namespace md2detail

// Throws std::runtime_error naming what is wrong.
inline Md2Contents readMd2(const std::string& path) {
    std::vector<unsigned char> b = readFile(path);
    if (b.size() < 68 || std::memcmp(b.data(), "IDP2", 4) != 0)
        throw std::runtime_error("not a keyframe model");
    if (md2detail::i32(b, 4) != 8)
        throw std::runtime_error("version is not 8");
    Md2Contents m;
    m.skinWidth = md2detail::i32(b, 8);
    m.skinHeight = md2detail::i32(b, 12);
    const int frameSize = md2detail::i32(b, 16), numSt = md2detail::i32(b, 28),
              numTris = md2detail::i32(b, 32), numFrames = md2detail::i32(b, 40);
    m.vertices = md2detail::i32(b, 24);
    const int ofsSt = md2detail::i32(b, 48), ofsTris = md2detail::i32(b, 52),
              ofsFrames = md2detail::i32(b, 56), ofsEnd = md2detail::i32(b, 64);
    if (ofsEnd != int(b.size()))
        throw std::runtime_error("end offset is not the file size");
    if (frameSize != 40 + 4 * m.vertices)
        throw std::runtime_error("frame size does not match the vertex count");
    for (int i = 0; i < numSt; ++i) {
        m.st.push_back(md2detail::i16(b, size_t(ofsSt + 4 * i)));
        m.st.push_back(md2detail::i16(b, size_t(ofsSt + 4 * i + 2)));
    }
    for (int i = 0; i < numTris; ++i) {
        for (int k = 0; k < 6; ++k) {
            int v = md2detail::i16(b, size_t(ofsTris + 12 * i + 2 * k)) & 0xFFFF;
            if ((k < 3 && v >= m.vertices) || (k >= 3 && v >= numSt))
                throw std::runtime_error("triangle " + std::to_string(i) +
                                         " indexes past its arrays");
            m.triangles.push_back(v);
        }
    }
    for (int f = 0; f < numFrames; ++f) {
        size_t at = size_t(ofsFrames) + size_t(f) * size_t(frameSize);
        if (at + size_t(frameSize) > b.size())
            throw std::runtime_error("frame past the end");
        Md2Contents::Frame fr;
        float scale[3], translate[3];
        for (int k = 0; k < 3; ++k) {
            scale[k] = md2detail::f32(b, at + 4 * size_t(k));
            translate[k] = md2detail::f32(b, at + 12 + 4 * size_t(k));
        }
        const char* name = reinterpret_cast<const char*>(&b[at + 24]);
        if (std::memchr(name, 0, 16) == nullptr)
            throw std::runtime_error("frame name without its terminating zero");
        fr.name = name;
        for (int v = 0; v < m.vertices; ++v) {
            const unsigned char* p = &b[at + 40 + 4 * size_t(v)];
            for (int k = 0; k < 3; ++k)
                fr.xyz.push_back(p[k] * scale[k] + translate[k]);
            if (p[3] >= 162)
                throw std::runtime_error("normal index past the table");
            fr.normal.push_back(p[3]);
        }
        m.frames.push_back(fr);
    }
    return m;
}

// The animation names the game's rule cuts from the frame names, each with
// its frame count, in file order; a name that comes back after another is
// listed again.
inline std::vector<std::pair<std::string, int>> md2Animations(const Md2Contents& model) {
    std::vector<std::pair<std::string, int>> out;
    for (const Md2Contents::Frame& f : model.frames) {
        std::string name = md2detail::cutName(f.name);
        if (out.empty() || out.back().first != name)
            out.push_back({name, 0});
        ++out.back().second;
    }
    return out;
}
