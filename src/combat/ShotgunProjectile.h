#pragma once

#include "combat/Projectile.h"

// A shotgun pellet: 1000 units a second but only for 0.12 s, 20 damage.
class ShotgunProjectile : public Projectile {
public:
    ShotgunProjectile(const Vector2& position, float heading)
        : Projectile(position, heading, 1000.0f, 0.12f, 20.0f) {}
};
