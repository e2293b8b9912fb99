#include "core/Vector2.h"

#include <cmath>

Vector2& Vector2::operator=(Vector2 other) {
    x = other.x;
    y = other.y;
    return *this;
}

Vector2 Vector2::operator+(const Vector2& b) const {
    return Vector2(x + b.x, y + b.y);
}

Vector2 Vector2::operator-(const Vector2& b) const {
    return Vector2(x - b.x, y - b.y);
}

Vector2 Vector2::operator*(float s) const {
    return Vector2(x * s, y * s);
}

Vector2 Vector2::operator-() const {
    return Vector2(-x, -y);
}

Vector2& Vector2::operator+=(const Vector2& b) {
    x += b.x;
    y += b.y;
    return *this;
}

float Vector2::length() const {
    return std::sqrt(x * x + y * y);
}

Vector2 Vector2::normalized() const {
    // A zero vector yields non-numbers; callers never normalise one.
    float l = length();
    return Vector2(x / l, y / l);
}

bool Vector2::isWithin(float distance) const {
    return length() <= distance;
}

float dot(const Vector2& a, const Vector2& b) {
    return a.x * b.x + a.y * b.y;
}
