#pragma once

#include "combat/Projectile.h"

// A pistol bullet: 1200 units a second for one second, 25 damage.
class PistolProjectile : public Projectile {
public:
    PistolProjectile(const Vector2& position, float heading)
        : Projectile(position, heading, 1200.0f, 1.0f, 25.0f) {}
};
