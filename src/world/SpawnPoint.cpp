#include "world/SpawnPoint.h"

#include "world/ObjectList.h"
#include "world/Zombie.h"

#include <iostream>
#include <stdexcept>

SpawnPoint::SpawnPoint(const Vector2& position, float interval)
    : Object(position, Vector3(0.75f, 0.75f, 0.75f), 0.0f, "res/GraveStone"), spawnTimer(0.0f),
      interval(interval), maxAlive(1) {}

void SpawnPoint::update(float dt) {
    forgetTheDying();
    // The timer runs only while there is room for another zombie.
    if (spawned.size() < maxAlive) {
        spawnTimer -= dt;
        if (spawnTimer <= 0.0f) {
            raise();
            spawnTimer = interval;
        }
    }
}

void SpawnPoint::forgetTheDying() {
    for (auto it = spawned.begin(); it != spawned.end();) {
        if ((*it)->isMarkedForDestruction()) {
            it = spawned.erase(it);
        } else {
            ++it;
        }
    }
}

void SpawnPoint::raise() {
    try {
        Zombie* zombie = new Zombie(position);
        spawned.push_back(zombie);
        ObjectList::getInstance()->add(zombie);
    } catch (const std::runtime_error& e) {
        // A zombie whose model cannot be read does not rise; the stone tries
        // again after its interval.
        std::cerr << "Unable to raise a zombie: " << e.what() << std::endl;
    }
}
