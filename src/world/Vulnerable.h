#pragma once

#include "world/Destroyable.h"

// Health that damage takes away; used-up health schedules removal.
class Vulnerable : public virtual Destroyable {
public:
    explicit Vulnerable(float health) : maxHealth(health), health(health) {}

    void damage(float amount);
    float getHealth() const { return health; }
    float getMaxHealth() const { return maxHealth; }

private:
    float maxHealth;
    float health;
};
