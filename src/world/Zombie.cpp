#include "world/Zombie.h"
#include "core/Heading.h"

#include "assets/MD2Model.h"
#include "combat/PistolPowerup.h"
#include "combat/ShotgunPowerup.h"
#include "core/Random.h"
#include "world/Character.h"
#include "world/ObjectList.h"
#include "world/World.h"

#include <cmath>
#include <iostream>
#include <stdexcept>

Zombie::Zombie(const Vector2& position)
    : MovingObject(position, Vector3(1.0f, 1.0f, 1.0f), 23.0f, MODEL), Vulnerable(100.0f),
      attackTimer(0.0f), running(false), target(nullptr) {}

void Zombie::update(float dt) {
    if (isMarkedForDestruction() || target != nullptr) {
        velocity = Vector2(0.0f, 0.0f);
    } else {
        steer();
    }
    if (target != nullptr && target->isMarkedForDestruction()) {
        target = nullptr;
        attackTimer = 0.0f;
    }
    attack(dt);
    if (Random::next() < MOOD_CHANCE) {
        running = !running;
    }
    model->setAnimation(animationName());
    MovingObject::update(dt);
}

void Zombie::steer() {
    Vector2 toFigure = player != nullptr ? player->getPosition() - position : Vector2();
    // On the figure's very point there is no direction: stand, facing as
    // before, rather than turn to a non-number.
    if (toFigure.length() == 0.0f) {
        velocity = Vector2(0.0f, 0.0f);
        return;
    }
    Vector2 dir = toFigure.normalized();
    heading = headingTowards(dir);
    velocity = dir * (running ? RUN_SPEED : WALK_SPEED);
}

void Zombie::attack(float dt) {
    if (target == nullptr) {
        return;
    }
    if (attackTimer > 0.0f) {
        attackTimer -= dt;
        return;
    }
    // The blow lands in the first update that finds the timer run out, and
    // only on a figure still within reach.
    if ((target->getPosition() - position).isWithin(REACH)) {
        target->damage(BLOW_DAMAGE);
    }
    target = nullptr;
    attackTimer = 0.0f;
}

const char* Zombie::animationName() const {
    if (isMarkedForDestruction()) {
        return "death";
    }
    if (target != nullptr) {
        return "crattack";
    }
    return running ? "run" : "crwalk";
}

void Zombie::collide(Object* other) {
    other->collideWithZombie(this);
}

void Zombie::collideWithCharacter(Character* character) {
    if (target == nullptr) {
        target = character;
        attackTimer = BLOW_DELAY;
    }
}

void Zombie::destroy(float /*delay*/) {
    Destroyable::destroy(DYING_TIME);
    leavePickUp();
    points += POINTS;
}

void Zombie::leavePickUp() {
    int r = Random::next();
    try {
        if (r % 5 == 0) {
            ObjectList::getInstance()->add(new ShotgunPowerup(position));
        } else if (r % 5 < 4) {
            ObjectList::getInstance()->add(new PistolPowerup(position));
        }
    } catch (const std::runtime_error& e) {
        // A pick-up whose model cannot be read is left out; play goes on.
        std::cerr << "Unable to leave a pick-up: " << e.what() << std::endl;
    }
}
