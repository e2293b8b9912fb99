#include "world/Vulnerable.h"

void Vulnerable::damage(float amount) {
    if (health > 0.0f) {
        health -= amount;
    }
    // Runs on every call once health is used up; destroy() is virtual, so a
    // zombie dies its own way.
    if (health <= 0.0f) {
        destroy(0.0f);
    }
}
