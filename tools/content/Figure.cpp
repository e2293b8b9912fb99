#include "Figure.h"

namespace content {

void Figure::addAnimation(const std::string& name, int count,
                          const std::function<std::vector<Vec3>(int)>& positions) {
    for (int i = 0; i < count; ++i) {
        Md2Frame f;
        f.name = frameName(name, i + 1);
        f.pos = positions(i);
        f.normal = mesh.normals(f.pos);
        frames.push_back(std::move(f));
    }
}

} // namespace content
