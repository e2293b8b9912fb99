#pragma once

// A place or direction on the ground plane: x is world x, y is world z.
class Vector2 {
public:
    float x;
    float y;

    Vector2() : x(0.0f), y(0.0f) {}
    Vector2(float x, float y) : x(x), y(y) {}
    explicit Vector2(const float* xy) : x(xy[0]), y(xy[1]) {}
    Vector2(const Vector2& other) = default;
    virtual ~Vector2() {}

    Vector2& operator=(Vector2 other);

    float getX() const { return x; }
    float getY() const { return y; }

    Vector2 operator+(const Vector2& b) const;
    Vector2 operator-(const Vector2& b) const;
    Vector2 operator*(float s) const;
    Vector2 operator-() const;
    Vector2& operator+=(const Vector2& b);

    float length() const;
    Vector2 normalized() const;
    bool isWithin(float distance) const;
};

float dot(const Vector2& a, const Vector2& b);
