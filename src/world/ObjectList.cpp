#include "world/ObjectList.h"

#include "core/Camera.h"
#include "world/Object.h"
#include "world/ObjectCollisionHandler.h"

ObjectList::ObjectList() : collisionHandler(new ObjectCollisionHandler()) {}

ObjectList::~ObjectList() {
    clear();
    delete collisionHandler;
}

void ObjectList::add(Object* object) {
    objects.push_back(object);
}

void ObjectList::update(float dt) {
    collisionHandler->handle(objects);

    for (auto it = objects.begin(); it != objects.end();) {
        if ((*it)->isDestroyed()) {
            delete *it;
            it = objects.erase(it);
        } else {
            ++it;
        }
    }

    // The end is read afresh at every step, so objects appended by updates
    // (projectiles, new zombies) are updated in this same walk.
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        (*it)->update(dt);
    }
}

void ObjectList::draw(Camera* camera) {
    for (Object* object : objects) {
        if (camera->isVisible(object->getPosition(), object->getRadius())) {
            object->draw(camera);
        }
    }
}

void ObjectList::clear() {
    for (Object* object : objects) {
        delete object;
    }
    objects.clear();
}
