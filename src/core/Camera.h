#pragma once

#include "core/Vector2.h"
#include "core/Vector3.h"

// The third-person viewpoint: a ground position with yaw and pitch; the eye
// always stands 120 units above the ground.
class Camera {
public:
    Camera();
    virtual ~Camera() {}

    void setPosition(const Vector2& p) { position = p; }
    void setYaw(float degrees) { yaw = degrees; }
    void setPitch(float degrees) { pitch = degrees; }
    float getYaw() const { return yaw; }
    float getPitch() const { return pitch; }
    // With culling off every point counts as visible.
    void setCulling(bool on) { culling = on; }
    const Vector2& getPosition() const { return position; }

    Vector3 getEyePosition() const;

    // True when the point lies between radius and 450 - radius units ahead
    // along the view direction; there is no sideways limit.
    bool isVisible(const Vector2& point, float radius) const;

private:
    Vector2 position;
    float yaw;
    float pitch;
    bool culling = true;
};
