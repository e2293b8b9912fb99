#include "world/Character.h"
#include "core/Heading.h"

#include "assets/MD2Model.h"
#include "combat/Pistol.h"
#include "combat/Shotgun.h"

#include <cmath>
#include <memory>

Character::Character(const Vector2& position)
    : MovingObject(position, Vector3(1.0f, 1.0f, 1.0f), 10.0f, "res/character"), Vulnerable(100.0f),
      weaponIndex(0), movement(0), pitch(35.0f) {
    // Held by smart pointers until both exist, so a gun whose model cannot
    // be read does not leave the other one behind.
    std::unique_ptr<Weapon> pistol(new Pistol(position));
    std::unique_ptr<Weapon> shotgun(new Shotgun(position));
    weapons.reserve(2);
    weapons.push_back(pistol.release());
    weapons.push_back(shotgun.release());
    model->setAnimation("sas");
}

Character::~Character() {
    for (Weapon* weapon : weapons) {
        delete weapon;
    }
}

void Character::update(float dt) {
    velocity = Vector2(0.0f, 0.0f);
    const Vector2 forward = headingDirection(heading);
    // A quarter turn clockwise, seen from above.
    const Vector2 right(-forward.y, forward.x);
    if (movement & FORWARD) {
        velocity += forward * SPEED;
    } else if (movement & BACKWARD) {
        velocity += -forward * SPEED;
    }
    if (movement & STRAFE_LEFT) {
        velocity += -right * SPEED;
    } else if (movement & STRAFE_RIGHT) {
        velocity += right * SPEED;
    }
    movement = 0;
    MovingObject::update(dt);

    // Only the gun in hand follows the figure and runs its timers.
    Weapon* weapon = currentWeapon();
    weapon->setPosition(position);
    weapon->setHeading(heading);
    weapon->update(dt);
}

void Character::draw(Camera* camera) {
    Object::draw(camera);
    currentWeapon()->draw(camera);
}

void Character::collide(Object* other) {
    other->collideWithCharacter(this);
}

void Character::collideWithPistolPowerup(PistolPowerup* /*powerup*/) {
    weapons[0]->addClip();
}

void Character::collideWithShotgunPowerup(ShotgunPowerup* /*powerup*/) {
    weapons[1]->addClip();
}

void Character::fire() {
    currentWeapon()->fire();
}

void Character::reload() {
    currentWeapon()->reload();
}

void Character::nextWeapon() {
    weaponIndex += 1;
    if (weaponIndex >= 2) {
        weaponIndex = 0;
    }
}

void Character::previousWeapon() {
    if (weaponIndex == 0) {
        weaponIndex = 1;
    } else {
        weaponIndex -= 1;
    }
}

int Character::getRounds() {
    return currentWeapon()->getRounds();
}

int Character::getClips() {
    return currentWeapon()->getClips();
}

std::string Character::getWeaponName() const {
    return weaponIndex == 1 ? "Shotgun" : "Pistol";
}
