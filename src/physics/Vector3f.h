#pragma once

namespace Quillmere {

// The engine's plain three-float vector: no virtual functions, so arrays of
// particles stay tightly packed.
class Vector3f {
public:
    float x;
    float y;
    float z;

    Vector3f() : x(0.0f), y(0.0f), z(0.0f) {}
    Vector3f(float x, float y, float z) : x(x), y(y), z(z) {}

    Vector3f& operator+=(const Vector3f& b) {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }

    Vector3f& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }

    Vector3f operator+(const Vector3f& b) const { return Vector3f(x + b.x, y + b.y, z + b.z); }
    Vector3f operator-(const Vector3f& b) const { return Vector3f(x - b.x, y - b.y, z - b.z); }
    Vector3f operator*(float s) const { return Vector3f(x * s, y * s, z * s); }
};

// Summed in extended precision, rounded to float once at the end.
float dot(const Vector3f& a, const Vector3f& b);

} // namespace Quillmere
