#include "Mesh.h"

#include <cmath>

namespace content {

void Mesh::transform(const Mat& m, int first) {
    for (size_t i = size_t(first); i < pos.size(); ++i)
        pos[i] = m.apply(pos[i]);
}

std::vector<Vec3> Mesh::posed(const std::vector<Mat>& bones) const {
    std::vector<Vec3> out(pos.size());
    for (size_t i = 0; i < pos.size(); ++i) {
        const Influence& in = influence[i];
        Vec3 pa = bones[size_t(in.a)].apply(pos[i]);
        if (in.wa >= 1.0f || in.a == in.b) {
            out[i] = pa;
        } else {
            Vec3 pb = bones[size_t(in.b)].apply(pos[i]);
            out[i] = pa * in.wa + pb * (1 - in.wa);
        }
    }
    return out;
}

std::vector<Vec3> Mesh::normals(const std::vector<Vec3>& p) const {
    std::vector<Vec3> n(p.size());
    for (const Tri& t : tris) {
        Vec3 fn =
            cross(p[size_t(t.v[1])] - p[size_t(t.v[0])], p[size_t(t.v[2])] - p[size_t(t.v[0])]);
        for (int k = 0; k < 3; ++k)
            n[size_t(t.v[k])] += fn;
    }
    for (Vec3& v : n)
        v = normalize(v);
    return n;
}

namespace {

// Whether the triangle (a, b, c) faces away from the inside point.
bool facesOut(Vec3 a, Vec3 b, Vec3 c, Vec3 inside) {
    return dot(cross(b - a, c - a), a - inside) >= 0;
}

} // namespace

void addLoft(Mesh& mesh, const std::vector<Ring>& rings, const LoftStyle& s) {
    const int n = s.segments;
    const int first = int(mesh.pos.size());
    for (const Ring& r : rings) {
        for (int j = 0; j < n; ++j) {
            float theta = 2 * kPi * (float(j) / n - 0.5f);
            float k = s.radius ? s.radius(theta, r.v) : 1.0f;
            Vec3 p =
                r.c + r.ax * (r.rx * std::cos(theta) * k) + r.ay * (r.ry * std::sin(theta) * k);
            mesh.addVertex(p, r.influence);
        }
    }
    const int firstT = int(mesh.st.size());
    for (const Ring& r : rings)
        for (int j = 0; j <= n; ++j)
            mesh.addTexel({s.uv.x + s.uv.w * float(j) / n, s.uv.y + s.uv.h * r.v});

    // Decide the winding once, from a quad half way along, so that normals
    // point outwards whichever way the rings run.
    auto V = [&](size_t i, int j) { return first + int(i) * n + (j % n); };
    auto T = [&](size_t i, int j) { return firstT + int(i) * (n + 1) + j; };
    size_t mid = (rings.size() - 1) / 2;
    bool flip = !facesOut(mesh.pos[size_t(V(mid, 0))], mesh.pos[size_t(V(mid, 1))],
                          mesh.pos[size_t(V(mid + 1, 0))], rings[mid].c);
    for (size_t i = 0; i + 1 < rings.size(); ++i) {
        for (int j = 0; j < n; ++j) {
            int a = V(i, j), b = V(i, j + 1), c = V(i + 1, j + 1), d = V(i + 1, j);
            int ta = T(i, j), tb = T(i, j + 1), tc = T(i + 1, j + 1), td = T(i + 1, j);
            if (flip) {
                mesh.addTri(a, d, b, ta, td, tb);
                mesh.addTri(b, d, c, tb, td, tc);
            } else {
                mesh.addTri(a, b, d, ta, tb, td);
                mesh.addTri(b, c, d, tb, tc, td);
            }
        }
    }

    auto cap = [&](size_t ringIndex, size_t inward) {
        const Ring& r = rings[ringIndex];
        Vec3 axis = normalize(r.c - rings[inward].c);
        float radius = 0.5f * (r.rx + r.ry);
        int centre = mesh.addVertex(r.c + axis * (radius * s.capBulge), r.influence);
        int tc = mesh.addTexel({s.uv.x + s.uv.w * 0.5f, s.uv.y + s.uv.h * r.v});
        Vec3 inside = r.c - axis * radius;
        for (int j = 0; j < n; ++j) {
            int a = V(ringIndex, j), b = V(ringIndex, j + 1);
            int ta = T(ringIndex, j), tb = T(ringIndex, j + 1);
            if (facesOut(mesh.pos[size_t(a)], mesh.pos[size_t(b)], mesh.pos[size_t(centre)],
                         inside))
                mesh.addTri(a, b, centre, ta, tb, tc);
            else
                mesh.addTri(b, a, centre, tb, ta, tc);
        }
    };
    if (s.capStart && rings.size() > 1)
        cap(0, 1);
    if (s.capEnd && rings.size() > 1)
        cap(rings.size() - 1, rings.size() - 2);
}

void addBox(Mesh& mesh, Vec3 lo, Vec3 hi, const Rect& uv, Influence influence) {
    Vec3 c = (lo + hi) * 0.5f;
    // Each face: the axis it faces along and the two axes spanning it.
    const Vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 half = (hi - lo) * 0.5f;
    const float h3[3] = {half.x, half.y, half.z};
    for (int f = 0; f < 6; ++f) {
        int ax = f / 2;
        float sign = (f % 2) ? -1.0f : 1.0f;
        int u = (ax + 1) % 3, w = (ax + 2) % 3;
        Vec3 nrm = axes[ax] * sign;
        Vec3 du = axes[u] * h3[u], dw = axes[w] * h3[w];
        Vec3 centre = c + nrm * h3[ax];
        Vec3 corners[4] = {centre - du - dw, centre + du - dw, centre + du + dw, centre - du + dw};
        int v[4], t[4];
        for (int k = 0; k < 4; ++k) {
            v[k] = mesh.addVertex(corners[k], influence);
            float fu = (k == 1 || k == 2) ? 1.0f : 0.0f, fw = (k >= 2) ? 1.0f : 0.0f;
            t[k] = mesh.addTexel({uv.x + uv.w * fu, uv.y + uv.h * fw});
        }
        if (facesOut(corners[0], corners[1], corners[2], c)) {
            mesh.addTri(v[0], v[1], v[2], t[0], t[1], t[2]);
            mesh.addTri(v[0], v[2], v[3], t[0], t[2], t[3]);
        } else {
            mesh.addTri(v[0], v[2], v[1], t[0], t[2], t[1]);
            mesh.addTri(v[0], v[3], v[2], t[0], t[3], t[2]);
        }
    }
}

void addPrism(Mesh& mesh, const std::vector<Vec3>& outline, Vec3 depth, const Rect& faceUv,
              const Rect& sideUv, Influence influence) {
    const size_t n = outline.size();
    Vec3 lo = outline[0], hi = outline[0], centre;
    for (Vec3 p : outline) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        centre += p;
    }
    centre = centre / float(n);
    Vec3 inside = centre + depth * 0.5f;
    // Plane coordinates for the face mapping: the two axes the outline spans,
    // the vertical one running down the rectangle.
    Vec3 ext = hi - lo;
    int normalAxis = (ext.x <= ext.y && ext.x <= ext.z) ? 0 : (ext.y <= ext.z ? 1 : 2);
    auto faceTexel = [&](Vec3 p) {
        float a, b, ea, eb;
        if (normalAxis == 0) {
            a = p.y - lo.y, ea = ext.y, b = hi.z - p.z, eb = ext.z;
        } else if (normalAxis == 1) {
            a = p.x - lo.x, ea = ext.x, b = hi.z - p.z, eb = ext.z;
        } else {
            a = p.x - lo.x, ea = ext.x, b = hi.y - p.y, eb = ext.y;
        }
        return Vec2(faceUv.x + faceUv.w * a / std::max(ea, 1e-6f),
                    faceUv.y + faceUv.h * b / std::max(eb, 1e-6f));
    };
    for (int side = 0; side < 2; ++side) {
        Vec3 off = depth * float(side);
        int c = mesh.addVertex(centre + off, influence);
        int tc = mesh.addTexel(faceTexel(centre));
        std::vector<int> v(n), t(n);
        for (size_t i = 0; i < n; ++i) {
            v[i] = mesh.addVertex(outline[i] + off, influence);
            t[i] = mesh.addTexel(faceTexel(outline[i]));
        }
        for (size_t i = 0; i < n; ++i) {
            size_t j = (i + 1) % n;
            if (facesOut(mesh.pos[size_t(v[i])], mesh.pos[size_t(v[j])], mesh.pos[size_t(c)],
                         inside))
                mesh.addTri(v[i], v[j], c, t[i], t[j], tc);
            else
                mesh.addTri(v[j], v[i], c, t[j], t[i], tc);
        }
    }
    // Sides: one quad per outline edge with its own vertices (hard edges).
    float perimeter = 0;
    for (size_t i = 0; i < n; ++i)
        perimeter += (outline[(i + 1) % n] - outline[i]).length();
    float run = 0;
    for (size_t i = 0; i < n; ++i) {
        Vec3 a = outline[i], b = outline[(i + 1) % n];
        float len = (b - a).length();
        int va = mesh.addVertex(a, influence), vb = mesh.addVertex(b, influence);
        int vc = mesh.addVertex(b + depth, influence), vd = mesh.addVertex(a + depth, influence);
        float u0 = sideUv.x + sideUv.w * run / perimeter,
              u1 = sideUv.x + sideUv.w * (run + len) / perimeter;
        run += len;
        int ta = mesh.addTexel({u0, float(sideUv.y)}), tb = mesh.addTexel({u1, float(sideUv.y)});
        int tcc = mesh.addTexel({u1, float(sideUv.y + sideUv.h)});
        int td = mesh.addTexel({u0, float(sideUv.y + sideUv.h)});
        if (facesOut(a, b, b + depth, inside)) {
            mesh.addTri(va, vb, vc, ta, tb, tcc);
            mesh.addTri(va, vc, vd, ta, tcc, td);
        } else {
            mesh.addTri(va, vc, vb, ta, tcc, tb);
            mesh.addTri(va, vd, vc, ta, td, tcc);
        }
    }
}

} // namespace content
