#pragma once

#include "world/Object.h"

// An object that moves by its velocity each update and remembers where it
// was before the move.
class MovingObject : public Object {
public:
    MovingObject(const Vector2& position, const Vector3& scale, float heightOffset,
                 const std::string& modelName);

    void update(float dt) override;
    const Vector2& getLastPosition() override { return lastPosition; }

    const Vector2& getVelocity() const { return velocity; }
    void setVelocity(const Vector2& v) { velocity = v; }

protected:
    Vector2 velocity;
    Vector2 lastPosition;
};
