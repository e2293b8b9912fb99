#pragma once

#include "combat/Weapon.h"

// Six shells a clip; each blast spreads five pellets over twelve degrees.
class Shotgun : public Weapon {
public:
    // The blast; the audio player knows it by this address.
    static constexpr char SHOT_SOUND[] = "res/gun_shotgun2.WAV";

    explicit Shotgun(const Vector2& position);

    void shoot(const Vector2& position, float heading) override;
};
