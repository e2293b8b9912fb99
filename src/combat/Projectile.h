#pragma once

#include "world/MovingObject.h"

namespace Quillmere {
namespace Physics {
class ParticleEmitter;
class ParticleSystem;
} // namespace Physics
} // namespace Quillmere

// A bullet or a pellet: flies straight over the ground at its speed and
// removes itself when its lifetime has run out.
class Projectile : public MovingObject {
public:
    Projectile(const Vector2& position, float heading, float speed, float lifetime, float damage);

    // A thin yellow column standing on the projectile's ground point.
    void draw(Camera* camera) override;
    void update(float dt) override;

    void collide(Object* other) override;
    // The hit: at most one zombie per projectile, and none that is dying.
    void collideWithZombie(Zombie* zombie) override;
    bool isSolid() override { return false; }
    float getRadius() override { return 0.1f; }

    float getSpeed() const { return speed; }
    float getDamage() const { return damage; }
    float getLifetime() const { return lifetime; }

    // The red spray of a hit at the ground point at, handed to system: a
    // burst of 100 at once and another after 4 clock seconds, gone after 5.
    static Quillmere::Physics::ParticleEmitter* addSpray(Quillmere::Physics::ParticleSystem* system,
                                                         const Vector2& at);

protected:
    float speed;
    float damage;
    float lifetime;
};
