#pragma once

#include "Mesh.h"

#include <cstdint>
#include <string>
#include <vector>

namespace content {

// One keyframe: every vertex's position and normal in model space.
struct Md2Frame {
    std::string name; // at most 15 characters
    std::vector<Vec3> pos;
    std::vector<Vec3> normal;
};

// The index of the table normal closest to n.
int nearestMd2Normal(Vec3 n);

// A whole keyframe model file: header, one skin name, the mesh's texel
// coordinates and triangles, the frames, and an OpenGL command list of one
// three-vertex strip per triangle for readers that draw from it.
std::vector<uint8_t> writeMd2(const Mesh& mesh, int skinWidth, int skinHeight,
                              const std::vector<Md2Frame>& frames, const std::string& skinName);

// Frame names for an animation: name01, name02, ... so that cutting at the
// first digit gives back the name.
std::string frameName(const std::string& animation, int index);

} // namespace content
