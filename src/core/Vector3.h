#pragma once

// A scale or a point in space.
class Vector3 {
public:
    float x;
    float y;
    float z;

    Vector3() : x(0.0f), y(0.0f), z(0.0f) {}
    Vector3(float x, float y, float z) : x(x), y(y), z(z) {}
    explicit Vector3(const float* xyz) : x(xyz[0]), y(xyz[1]), z(xyz[2]) {}
    Vector3(const Vector3& other) = default;
    virtual ~Vector3() {}

    Vector3& operator=(const Vector3& other) {
        x = other.x;
        y = other.y;
        z = other.z;
        return *this;
    }

    float getX() const { return x; }
    float getY() const { return y; }
    float getZ() const { return z; }
};
