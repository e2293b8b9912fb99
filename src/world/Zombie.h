#pragma once

#include "world/MovingObject.h"
#include "world/Vulnerable.h"

class Character;

// The enemy: walks or runs straight at the figure, stops to strike when the
// figure touches it, and dies under fire, leaving a clip behind most times.
class Zombie : public MovingObject, public Vulnerable {
public:
    static constexpr float WALK_SPEED = 30.0f;
    static constexpr float RUN_SPEED = 60.0f;
    // Out of Random::MAX + 1, the chance each frame of switching between
    // walking and running.
    static constexpr int MOOD_CHANCE = 100;
    static constexpr float BLOW_DELAY = 0.7f;
    // A figure in touch stands 60 off (the push keeps it there), so the blow
    // reaches that far and a little more for the push's rounding; one that
    // steps away during the swing is missed.
    static constexpr float REACH = 70.0f;
    static constexpr float BLOW_DAMAGE = 6.0f;
    static constexpr float DYING_TIME = 0.9f;
    static constexpr int POINTS = 10;
    static constexpr char MODEL[] = "res/zombie";

    explicit Zombie(const Vector2& position);

    void update(float dt) override;

    // The death, whatever the delay: the body lies for DYING_TIME, may leave
    // a pick-up and scores POINTS. Every call counts again.
    void destroy(float delay) override;

    void collide(Object* other) override;
    // Starts an attack unless one is already under way.
    void collideWithCharacter(Character* character) override;
    // A dying zombie is no longer pushed.
    bool isMovable() override { return !isMarkedForDestruction(); }
    float getRadius() override { return 16.0f; }

    bool isRunning() const { return running; }
    bool isAttacking() const { return target != nullptr; }
    float getAttackTimer() const { return attackTimer; }

private:
    void steer();
    void attack(float dt);
    void leavePickUp();
    const char* animationName() const;

    float attackTimer;
    bool running;
    Character* target;
};
