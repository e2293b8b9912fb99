#include "ObjFile.h"

#include <cstdio>

namespace content {

namespace {

std::string fmt(const char* format, float a, float b, float c = 0) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, double(a), double(b), double(c));
    // Never write a negative zero: it is the same point.
    std::string s = buffer;
    for (size_t i = s.find("-0.0000"); i != std::string::npos; i = s.find("-0.0000", i)) {
        size_t end = i + 7;
        if (end == s.size() || s[end] == ' ')
            s.erase(i, 1);
        else
            ++i;
    }
    return s;
}

} // namespace

int ObjFile::index(std::map<std::string, int>& seen, std::vector<std::string>& lines,
                   const std::string& line) {
    auto it = seen.find(line);
    if (it != seen.end())
        return it->second;
    lines.push_back(line);
    int i = int(lines.size());
    seen[line] = i;
    return i;
}

void ObjFile::addFace(const std::string& material, const std::vector<Corner>& corners) {
    std::string f = "f";
    for (const Corner& c : corners) {
        int p = index(seenP, positions, fmt("v %.4f %.4f %.4f", c.p.x, c.p.y, c.p.z));
        int t = index(seenT, texCoords, fmt("vt %.4f %.4f", c.uv.x, c.uv.y));
        int n = index(seenN, normals, fmt("vn %.4f %.4f %.4f", c.n.x, c.n.y, c.n.z));
        f += " " + std::to_string(p) + "/" + std::to_string(t) + "/" + std::to_string(n);
    }
    faces[material].push_back(f);
}

void ObjFile::addBox(const std::string& material, Vec3 lo, Vec3 hi, float uvScale) {
    const Vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 c = (lo + hi) * 0.5f, half = (hi - lo) * 0.5f;
    const float h3[3] = {half.x, half.y, half.z};
    for (int f = 0; f < 6; ++f) {
        int ax = f / 2;
        float sign = (f % 2) ? -1.0f : 1.0f;
        int a = (ax + 1) % 3, b = (ax + 2) % 3;
        // u runs along the longer edge of the face.
        if (h3[b] > h3[a])
            std::swap(a, b);
        Vec3 n = axes[ax] * sign;
        Vec3 du = axes[a] * h3[a], dv = axes[b] * h3[b];
        Vec3 centre = c + n * h3[ax];
        Vec3 q[4] = {centre - du - dv, centre + du - dv, centre + du + dv, centre - du + dv};
        float lu = 2 * h3[a] * uvScale, lv = 2 * h3[b] * uvScale;
        Vec2 t[4] = {{0, 0}, {lu, 0}, {lu, lv}, {0, lv}};
        std::vector<Corner> corners;
        bool ccw = dot(cross(q[1] - q[0], q[2] - q[0]), n) > 0;
        for (int k = 0; k < 4; ++k) {
            int i = ccw ? k : 3 - k;
            corners.push_back({q[i], t[i], n});
        }
        addFace(material, corners);
    }
}

std::string ObjFile::text(const std::string& materialLibrary) const {
    std::string out = "mtllib " + materialLibrary + "\n";
    for (const std::string& l : positions)
        out += l + "\n";
    for (const std::string& l : texCoords)
        out += l + "\n";
    for (const std::string& l : normals)
        out += l + "\n";
    for (const auto& group : faces) {
        out += "usemtl " + group.first + "\n";
        for (const std::string& f : group.second)
            out += f + "\n";
    }
    return out;
}

std::string mtlText(const std::vector<ObjMaterial>& materials) {
    std::string out;
    for (const ObjMaterial& m : materials) {
        out += "newmtl " + m.name + "\n";
        out += fmt("Ka %.3f %.3f %.3f", m.ambient.x, m.ambient.y, m.ambient.z) + "\n";
        out += fmt("Kd %.3f %.3f %.3f", m.diffuse.x, m.diffuse.y, m.diffuse.z) + "\n";
        out += "Ks 0.000 0.000 0.000\n";
        out += "illum 1\n";
        if (!m.map.empty())
            out += "map_Kd " + m.map + "\n";
        out += "\n";
    }
    return out;
}

} // namespace content
