#pragma once

#include "assets/MD2ModelData.h"

#include <string>
#include <vector>

// Lays out an MD2 file from its parts: header, skins, texture coordinates,
// triangles, frames and command list, in that order. The content generator
// writes the game's models with it, and the tests and benchmarks their own.
class MD2Writer {
public:
    struct Frame {
        Vector3 scale{1.0f, 1.0f, 1.0f};
        Vector3 translate;
        std::string name;
        std::vector<MD2FrameVertex> vertices;
    };

    int32_t skinWidth = 64;
    int32_t skinHeight = 64;
    std::vector<std::string> skins;
    std::vector<MD2TexCoord> texCoords;
    std::vector<MD2Triangle> triangles;
    std::vector<Frame> frames;
    std::vector<int32_t> glCommands;

    // The file's bytes. Every frame must have as many vertices as the first.
    std::vector<unsigned char> bytes() const;
    bool write(const std::string& fileName) const;
};
