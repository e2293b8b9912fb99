#include "world/Destroyable.h"

void Destroyable::update(float dt) {
    if (destroyed && destroyTimer > 0.0f) {
        destroyTimer -= dt;
    }
}

void Destroyable::destroy(float delay) {
    if (!destroyed || destroyTimer > delay) {
        destroyTimer = delay;
        destroyed = true;
    }
}
