#pragma once

#include "world/MovingObject.h"

// A bullet or a pellet: flies straight over the ground at its speed and
// removes itself when its lifetime has run out.
class Projectile : public MovingObject {
public:
    Projectile(const Vector2& position, float heading, float speed, float lifetime, float damage);

    // A thin yellow column standing on the projectile's ground point.
    void draw(Camera* camera) override;
    void update(float dt) override;

    void collide(Object* other) override;
    bool isSolid() override { return false; }
    float getRadius() override { return 0.1f; }

    float getSpeed() const { return speed; }
    float getDamage() const { return damage; }
    float getLifetime() const { return lifetime; }

protected:
    float speed;
    float damage;
    float lifetime;
};
