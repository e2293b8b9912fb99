#pragma once

// Scheduled removal: the object list deletes an object once it has been
// destroyed and its delay has run out.
class Destroyable {
public:
    Destroyable() : destroyTimer(0.0f), destroyed(false) {}
    virtual ~Destroyable() {}

    // Counts the removal delay down once removal has been scheduled.
    virtual void update(float dt);

    // Schedules removal delay seconds from now; a later call can only bring
    // it earlier.
    virtual void destroy(float delay);

    bool isDestroyed() const { return destroyed && destroyTimer <= 0.0f; }
    bool isMarkedForDestruction() const { return destroyed; }

private:
    float destroyTimer;
    bool destroyed;
};
