#pragma once

#include "world/Object.h"

// A gun the player carries: rounds in the clip, spare clips, the pause
// between shots and the reload time. Each allowed shot hands new projectiles
// to the object list.
class Weapon : public Object {
public:
    // The sound of a reload; the audio player knows it by this address.
    static constexpr char RELOAD_SOUND[] = "res/gun_pump_action.WAV";

    Weapon(const Vector2& position, float reloadTime, float fireInterval, float clipSize);

    // Fires if the pause has run out, the clip holds a round and no reload
    // is under way; otherwise nothing happens.
    void fire();

    // Starts a reload if none is under way, the clip is not full and a spare
    // clip is left. The rounds still in the clip are thrown away.
    void reload();

    void addClip() { clips += 1; }
    int getRounds() const { return rounds; }
    int getClips() const { return clips; }
    float getCooldown() const { return cooldown; }
    bool isReloading() const { return reloading; }

    // Creates the projectiles of one shot at position, flying along heading.
    virtual void shoot(const Vector2& position, float heading) = 0;

    void update(float dt) override;
    void collide(Object* /*other*/) override {}

private:
    float cooldown;
    int rounds;
    int clips;
    int clipSize;
    float reloadTimer;
    bool reloading;
    float fireInterval;
    float reloadTime;
};
