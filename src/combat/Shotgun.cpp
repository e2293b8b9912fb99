#include "combat/Shotgun.h"

#include "combat/ShotgunProjectile.h"
#include "text_sound/AudioPlayer.h"
#include "world/ObjectList.h"

Shotgun::Shotgun(const Vector2& position) : Weapon(position, 0.5f, 0.7f, 6.0f) {
    AudioPlayer::getInstance()->loadSound(SHOT_SOUND);
}

void Shotgun::shoot(const Vector2& position, float heading) {
    AudioPlayer::getInstance()->playSound(SHOT_SOUND);
    // The fan: -6, -3, 0, +3 and +6 degrees about the aim.
    for (int i = 0; i < 5; ++i) {
        ObjectList::getInstance()->add(new ShotgunProjectile(position, heading + 3 * i - 6));
    }
}
