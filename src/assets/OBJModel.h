#pragma once

#include "assets/IndexPieces.h"
#include "assets/Model.h"
#include "assets/OBJModelData.h"

#include <string>
#include <vector>

// A static Wavefront OBJ model with its MTL materials, drawn from
// client-side vertex arrays with one indexed draw per material run.
class OBJModel final : public Model {
public:
    using Vertex = OBJModelData::Vertex;
    using Mesh = OBJModelData::Mesh;
    using Material = OBJModelData::Material;

    OBJModel() {}
    OBJModel(const OBJModel&) = delete;
    OBJModel& operator=(const OBJModel&) = delete;

    // False only when the file cannot be opened. Loads once per model.
    bool load(const std::string& fileName, bool generateNormals);

    // Draws in the current transform; sets materials, the colour map and the
    // vertex arrays, nothing else.
    void draw() override;

    const OBJModelData& getData() const { return data; }

private:
    OBJModelData data;
    // Each mesh's triangles, cut into pieces to draw, made on the first draw.
    std::vector<IndexPieces> meshPieces;
};
