#pragma once

#include "core/Drawable.h"
#include "core/Singleton.h"
#include "core/Updateable.h"

#include <list>

class Object;
class ObjectCollisionHandler;

// Owns every live object of the world: collides, removes, updates and draws
// them each frame, in the order they were added.
class ObjectList : public Singleton<ObjectList>, public Updateable, public Drawable {
public:
    ObjectList();
    virtual ~ObjectList();

    ObjectList(const ObjectList&) = delete;
    ObjectList& operator=(const ObjectList&) = delete;

    // Takes ownership of object and appends it.
    void add(Object* object);

    // Collisions on a copy of the list, then deletion of destroyed objects,
    // then update of every object, including those added during the walk.
    void update(float dt) override;

    // Draws the objects that the camera can see, in list order.
    void draw(Camera* camera) override;

    // Deletes every object, in list order.
    void clear();

    const std::list<Object*>& getObjects() const { return objects; }

private:
    std::list<Object*> objects;
    ObjectCollisionHandler* collisionHandler;
};
