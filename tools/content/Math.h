#pragma once

#include <algorithm>
#include <cmath>

namespace content {

constexpr float kPi = 3.14159265358979f;

inline float clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}
inline float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}
inline float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}
inline float radians(float degrees) {
    return degrees * kPi / 180.0f;
}

struct Vec2 {
    float x = 0, y = 0;
    Vec2() = default;
    Vec2(float x_, float y_) : x(x_), y(y_) {}
    Vec2 operator+(Vec2 o) const { return {x + o.x, y + o.y}; }
    Vec2 operator-(Vec2 o) const { return {x - o.x, y - o.y}; }
    Vec2 operator*(float s) const { return {x * s, y * s}; }
    float length() const { return std::sqrt(x * x + y * y); }
};

struct Vec3 {
    float x = 0, y = 0, z = 0;
    Vec3() = default;
    Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    Vec3 operator+(Vec3 o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(Vec3 o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vec3 operator/(float s) const { return {x / s, y / s, z / s}; }
    Vec3& operator+=(Vec3 o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    float length() const { return std::sqrt(x * x + y * y + z * z); }
};

inline float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3 normalize(Vec3 v) {
    float l = v.length();
    return l > 1e-12f ? v / l : Vec3(0, 0, 1);
}
inline Vec3 lerp(Vec3 a, Vec3 b, float t) {
    return a + (b - a) * t;
}

// Affine transform: a 3x3 linear part (columns are the images of the axes)
// and a translation.
struct Mat {
    Vec3 cx{1, 0, 0}, cy{0, 1, 0}, cz{0, 0, 1}, t{0, 0, 0};

    Vec3 apply(Vec3 p) const { return cx * p.x + cy * p.y + cz * p.z + t; }
    Vec3 applyDir(Vec3 d) const { return cx * d.x + cy * d.y + cz * d.z; }
    Mat operator*(const Mat& o) const {
        Mat r;
        r.cx = applyDir(o.cx);
        r.cy = applyDir(o.cy);
        r.cz = applyDir(o.cz);
        r.t = apply(o.t);
        return r;
    }
    static Mat translate(Vec3 v) {
        Mat m;
        m.t = v;
        return m;
    }
    static Mat scale(Vec3 s) {
        Mat m;
        m.cx = {s.x, 0, 0};
        m.cy = {0, s.y, 0};
        m.cz = {0, 0, s.z};
        return m;
    }
    // Right-handed rotation by the angle (radians) about a unit axis.
    static Mat rotate(Vec3 axis, float angle) {
        axis = normalize(axis);
        float c = std::cos(angle), s = std::sin(angle), k = 1 - c;
        float x = axis.x, y = axis.y, z = axis.z;
        Mat m;
        m.cx = {c + x * x * k, y * x * k + z * s, z * x * k - y * s};
        m.cy = {x * y * k - z * s, c + y * y * k, z * y * k + x * s};
        m.cz = {x * z * k + y * s, y * z * k - x * s, c + z * z * k};
        return m;
    }
    // Rotation about an axis through a pivot point.
    static Mat rotateAbout(Vec3 pivot, Vec3 axis, float angle) {
        return translate(pivot) * rotate(axis, angle) * translate(-pivot);
    }
};

} // namespace content
