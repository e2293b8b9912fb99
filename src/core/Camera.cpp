#include "core/Camera.h"

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
    float r = static_cast<float>(yaw / 180.0 * 3.14159f);
    Vector2 vd(static_cast<float>(std::sin(r)), static_cast<float>(-std::cos(r)));
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
