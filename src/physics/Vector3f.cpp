#include "physics/Vector3f.h"

namespace Quillmere {

float dot(const Vector3f& a, const Vector3f& b) {
    long double sum = static_cast<long double>(a.x) * b.x + static_cast<long double>(a.y) * b.y +
                      static_cast<long double>(a.z) * b.z;
    return static_cast<float>(sum);
}

} // namespace Quillmere
