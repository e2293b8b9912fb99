#pragma once

#include "world/Object.h"

#include <list>

// A grave stone: keeps one zombie of its own in the world, and raises the
// next one its interval after the last has started dying. Blocks nothing.
class SpawnPoint : public Object {
public:
    SpawnPoint(const Vector2& position, float interval);

    // Never chains to Object::update: the stone is not animated and is never
    // removed.
    void update(float dt) override;

    void collide(Object* /*other*/) override {}
    bool isSolid() override { return false; }

    const std::list<const Object*>& getSpawned() const { return spawned; }
    float getSpawnTimer() const { return spawnTimer; }
    float getInterval() const { return interval; }

private:
    void forgetTheDying();
    void raise();

    float spawnTimer;
    float interval;
    unsigned int maxAlive;
    // Not owned: the object list owns the zombies. Each leaves this list as
    // soon as it starts dying, while it still exists.
    std::list<const Object*> spawned;
};
