#pragma once

#include "combat/Weapon.h"

// Twelve rounds a clip, one silent shot every 0.3 s.
class Pistol : public Weapon {
public:
    explicit Pistol(const Vector2& position);

    void shoot(const Vector2& position, float heading) override;
};
