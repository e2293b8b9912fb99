#pragma once

class Object;
class PistolPowerup;
class ShotgunPowerup;
class Projectile;
class Character;
class Zombie;

// Contact queries and reactions. collide() dispatches to the reaction that
// names the caller's own kind, called on the other object.
class Collider {
public:
    virtual ~Collider() {}
    virtual void collide(Object* other) = 0;
    virtual void collideWithPistolPowerup(PistolPowerup* /*powerup*/) {}
    virtual void collideWithShotgunPowerup(ShotgunPowerup* /*powerup*/) {}
    virtual void collideWithProjectile(Projectile* /*projectile*/) {}
    virtual void collideWithCharacter(Character* /*character*/) {}
    virtual void collideWithZombie(Zombie* /*zombie*/) {}
    virtual bool isSolid() { return true; }
    virtual bool isMovable() { return false; }
    virtual float getRadius() { return 0.0f; }
};
