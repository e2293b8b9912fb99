#pragma once

#include "Math.h"

#include <map>
#include <string>
#include <vector>

namespace content {

// A static model written as Wavefront OBJ text: positions, texture
// coordinates and normals shared where equal, faces grouped by material.
class ObjFile {
public:
    struct Corner {
        Vec3 p;
        Vec2 uv;
        Vec3 n;
    };

    // A flat quad or triangle of the given material, corners counter-clockwise
    // seen from the side its normals face.
    void addFace(const std::string& material, const std::vector<Corner>& corners);
    // A box with flat faces; uvScale maps face extents in units to texture
    // repeats (u along the face's longer edge).
    void addBox(const std::string& material, Vec3 lo, Vec3 hi, float uvScale);

    std::string text(const std::string& materialLibrary) const;

private:
    int index(std::map<std::string, int>& seen, std::vector<std::string>& lines,
              const std::string& line);

    std::vector<std::string> positions, texCoords, normals;
    std::map<std::string, int> seenP, seenT, seenN;
    std::map<std::string, std::vector<std::string>> faces; // by material
};

// One material of an MTL library.
struct ObjMaterial {
    std::string name;
    Vec3 ambient, diffuse;
    std::string map; // file name under res/
};

std::string mtlText(const std::vector<ObjMaterial>& materials);

} // namespace content
