#include "combat/Weapon.h"

#include "text_sound/AudioPlayer.h"

Weapon::Weapon(const Vector2& position, float reloadTime, float fireInterval, float clipSize)
    : Object(position, Vector3(1.0f, 1.0f, 1.0f), 0.0f, "res/weapon"), cooldown(fireInterval),
      rounds(static_cast<int>(clipSize)), clips(3), clipSize(static_cast<int>(clipSize)),
      reloadTimer(0.0f), reloading(false), fireInterval(fireInterval), reloadTime(reloadTime) {
    AudioPlayer::getInstance()->loadSound(RELOAD_SOUND);
}

void Weapon::fire() {
    if (cooldown <= 0.0f && rounds > 0 && !reloading) {
        shoot(position, heading);
        // Assigned, not added: a late trigger does not earn the next shot
        // sooner.
        cooldown = fireInterval;
        rounds -= 1;
    }
}

void Weapon::reload() {
    if (!reloading && rounds < clipSize && clips != 0) {
        reloading = true;
        reloadTimer = reloadTime;
        AudioPlayer::getInstance()->playSound(RELOAD_SOUND);
        clips -= 1;
    }
}

void Weapon::update(float dt) {
    Object::update(dt);
    if (cooldown > 0.0f) {
        cooldown -= dt;
    }
    // The clip is refilled one update after the timer has run out.
    if (reloading && reloadTimer > 0.0f) {
        reloadTimer -= dt;
    } else if (reloading) {
        rounds = clipSize;
        reloading = false;
    }
}
