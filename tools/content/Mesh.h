#pragma once

#include "Canvas.h"
#include "Math.h"

#include <functional>
#include <vector>

namespace content {

// How a vertex follows the skeleton: a blend of two bones.
struct Influence {
    int a = 0, b = 0;
    float wa = 1; // weight of bone a; bone b gets the rest
    Influence() = default;
    Influence(int bone) : a(bone), b(bone), wa(1) {}
    Influence(int boneA, int boneB, float weightA) : a(boneA), b(boneB), wa(weightA) {}
};

// A triangle mesh in its rest pose with texel coordinates on a skin. Texture
// coordinates are indexed apart from positions, as the keyframe format keeps
// them, so seams need no duplicated vertices.
class Mesh {
public:
    struct Tri {
        int v[3];
        int t[3];
    };

    std::vector<Vec3> pos;
    std::vector<Influence> influence;
    std::vector<Vec2> st; // texel coordinates, origin top left
    std::vector<Tri> tris;

    int addVertex(Vec3 p, Influence i = Influence()) {
        pos.push_back(p);
        influence.push_back(i);
        return int(pos.size()) - 1;
    }
    int addTexel(Vec2 t) {
        st.push_back(t);
        return int(st.size()) - 1;
    }
    void addTri(int v0, int v1, int v2, int t0, int t1, int t2) {
        tris.push_back({{v0, v1, v2}, {t0, t1, t2}});
    }
    // Applies m to the rest positions of the vertices from index first on.
    void transform(const Mat& m, int first = 0);

    // Positions with every bone's transform applied to its vertices.
    std::vector<Vec3> posed(const std::vector<Mat>& bones) const;
    // Area-weighted smooth vertex normals of the given positions.
    std::vector<Vec3> normals(const std::vector<Vec3>& positions) const;
};

// One cross-section of a loft: an ellipse around c spanned by ax and ay.
struct Ring {
    Vec3 c;
    Vec3 ax{1, 0, 0}, ay{0, 1, 0};
    float rx = 1, ry = 1;
    float v = 0; // texture row, 0 to 1 down the part's rectangle
    Influence influence;
};

struct LoftStyle {
    int segments = 12;
    Rect uv;
    bool capStart = true, capEnd = true;
    float capBulge = 0.3f; // how far a cap's centre stands out, in radii
    // Multiplies the radius at angle theta (0 = along ax, the part's front)
    // and texture row v; shapes noses, chins, muscles, folds.
    std::function<float(float theta, float v)> radius;
};

// A tube through the rings, texture u running once around it with the front
// (theta 0) in the middle of the rectangle and the seam at the back.
void addLoft(Mesh& mesh, const std::vector<Ring>& rings, const LoftStyle& style);

// A box with flat faces (its own vertices per face) between corners lo and hi,
// all its faces mapped onto one rectangle.
void addBox(Mesh& mesh, Vec3 lo, Vec3 hi, const Rect& uv, Influence influence = Influence());

// A flat polygon (convex, counter-clockwise seen from +normal) extruded by
// depth along its normal; the faces map onto faceUv by their plane position
// and the sides onto sideUv.
void addPrism(Mesh& mesh, const std::vector<Vec3>& outline, Vec3 depth, const Rect& faceUv,
              const Rect& sideUv, Influence influence = Influence());

} // namespace content
