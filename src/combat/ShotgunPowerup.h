#pragma once

#include "assets/MD2Model.h"
#include "combat/Powerup.h"

// A clip for the shotgun, whichever gun is in hand.
class ShotgunPowerup : public Powerup {
public:
    explicit ShotgunPowerup(const Vector2& position) : Powerup(position, MODEL) {
        model->setAnimation("stand");
    }

    void collide(Object* other) override { other->collideWithShotgunPowerup(this); }
};
