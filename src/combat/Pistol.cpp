#include "combat/Pistol.h"

#include "combat/PistolProjectile.h"
#include "world/ObjectList.h"

Pistol::Pistol(const Vector2& position) : Weapon(position, 0.3f, 0.3f, 12.0f) {}

void Pistol::shoot(const Vector2& position, float heading) {
    ObjectList::getInstance()->add(new PistolProjectile(position, heading));
}
