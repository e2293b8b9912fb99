#include "combat/Powerup.h"

Powerup::Powerup(const Vector2& position, std::string modelName)
    : Object(position, Vector3(1.0f, 1.0f, 1.0f), -20.0f, modelName) {
    // Marked from birth: nobody needs to pick it up for it to go.
    Destroyable::destroy(LIFETIME);
}

void Powerup::update(float dt) {
    Object::update(dt);
    heading += dt * SPIN;
}
