#include "core/Camera.h"
#include "core/Heading.h"

#include <cmath>

namespace {
const float EYE_HEIGHT = 120.0f;
const float VIEW_DEPTH = 450.0f;
} // namespace

Camera::Camera() : position(0.0f, 0.0f), yaw(0.0f), pitch(0.0f) {}

Vector3 Camera::getEyePosition() const {
    return Vector3(position.x, EYE_HEIGHT, position.y);
}

bool Camera::isVisible(const Vector2& point, float radius) const {
    if (!culling) {
        return true;
    }
    const Vector2 vd = headingDirection(yaw);
    Vector2 p = position;
    if (dot(vd, point - p) < radius) {
        return false;
    }
    p = p + vd * VIEW_DEPTH;
    if (dot(-vd, point - p) < radius) {
        return false;
    }
    return true;
}
