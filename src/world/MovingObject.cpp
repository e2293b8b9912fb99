#include "world/MovingObject.h"

MovingObject::MovingObject(const Vector2& position, const Vector3& scale, float heightOffset,
                           const std::string& modelName)
    : Object(position, scale, heightOffset, modelName), velocity(0.0f, 0.0f),
      lastPosition(position) {}

void MovingObject::update(float dt) {
    Object::update(dt);
    lastPosition = position;
    position += velocity * dt;
}
