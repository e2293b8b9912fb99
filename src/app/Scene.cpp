#include "app/Scene.h"

#include "app/Globals.h"
#include "core/Camera.h"
#include "world/ObjectList.h"
#include "world/Tree.h"

void createScene() {
    // Interim scene until the player figure and the grave stones exist: the
    // camera stands where the first world update will put it behind a figure
    // at (0, -30) with heading 0 and pitch 35, and the tree is the only
    // object. The figure's arrival replaces this with the real scene.
    camera = new Camera();
    camera->setPosition(Vector2(0.0f, 60.0f));
    camera->setYaw(0.0f);
    camera->setPitch(35.0f);
    Singleton<ObjectList>::getInstance()->add(new Tree(Vector2(0.0f, 0.0f)));
}
