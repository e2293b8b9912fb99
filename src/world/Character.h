#pragma once

#include "world/MovingObject.h"
#include "world/Vulnerable.h"

#include <string>
#include <vector>

class Weapon;

// The survivor the player steers. Movement requests last one frame: the
// control step repeats them for as long as a key is held.
class Character : public MovingObject, public Vulnerable {
public:
    // Movement request bits.
    enum : unsigned char { STRAFE_LEFT = 1, STRAFE_RIGHT = 2, FORWARD = 4, BACKWARD = 8 };

    static constexpr float SPEED = 70.0f;

    explicit Character(const Vector2& position);
    ~Character() override;

    void draw(Camera* camera) override;
    void update(float dt) override;

    void collide(Object* other) override;
    void collideWithPistolPowerup(PistolPowerup* powerup) override;
    void collideWithShotgunPowerup(ShotgunPowerup* powerup) override;
    bool isMovable() override { return true; }
    float getRadius() override { return 14.0f; }

    void moveForward() { movement = (movement & ~BACKWARD) | FORWARD; }
    void moveBackward() { movement = (movement & ~FORWARD) | BACKWARD; }
    void strafeLeft() { movement = (movement & ~STRAFE_RIGHT) | STRAFE_LEFT; }
    void strafeRight() { movement = (movement & ~STRAFE_LEFT) | STRAFE_RIGHT; }
    void turn(float degrees) { heading += degrees; }
    // Asks again for movement already asked for, bit by bit, for a frame
    // whose world moves in several steps.
    void setMovement(unsigned char bits) { movement = bits; }
    void fire();
    void reload();
    void nextWeapon();
    void previousWeapon();

    Weapon* currentWeapon() { return weapons[weaponIndex]; }
    Weapon* getWeapon(unsigned int index) { return weapons.at(index); }
    unsigned int getWeaponIndex() const { return weaponIndex; }
    unsigned char getMovement() const { return movement; }
    int getRounds();
    int getClips();
    std::string getWeaponName() const;
    float getPitch() const { return pitch; }

private:
    std::vector<Weapon*> weapons;
    unsigned int weaponIndex;
    unsigned char movement;
    float pitch;
};
