#pragma once

#include "world/Object.h"

#include <string>

// An ammunition pick-up lying where a zombie died: it spins, vanishes after
// LIFETIME seconds, and gives the figure that touches it one clip.
class Powerup : public Object {
public:
    static constexpr float LIFETIME = 8.0f;
    static constexpr float SPIN = 80.0f; // degrees a second
    // Both kinds look alike: the shotgun lying on the ground.
    static constexpr char MODEL[] = "res/shotgun";

    Powerup(const Vector2& position, std::string modelName);

    void update(float dt) override;

    // Taken: gone in this frame's removal step, before it can touch again.
    void collideWithCharacter(Character* /*character*/) override { destroy(0.0f); }
    bool isSolid() override { return false; }
};
