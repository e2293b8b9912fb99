#include "core/Heading.h"

#include <cmath>

float radians(float degrees) {
    return degrees * HEADING_PI / 180.0f;
}

Vector2 headingDirection(float degrees) {
    const float r = radians(degrees);
    return Vector2(std::sin(r), -std::cos(r));
}

float headingTowards(const Vector2& d) {
    return std::atan2(d.y, d.x) * 180.0f / HEADING_PI + 90.0f;
}
