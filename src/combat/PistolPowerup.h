#pragma once

#include "assets/MD2Model.h"
#include "combat/Powerup.h"

// A clip for the pistol, whichever gun is in hand.
class PistolPowerup : public Powerup {
public:
    explicit PistolPowerup(const Vector2& position) : Powerup(position, MODEL) {
        model->setAnimation("stand");
    }

    void collide(Object* other) override { other->collideWithPistolPowerup(this); }
};
