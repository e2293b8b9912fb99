#include "app/Scene.h"

#include "app/Globals.h"
#include "core/Camera.h"
#include "core/Logger.h"
#include "world/Character.h"
#include "world/ObjectList.h"
#include "world/SpawnPoint.h"
#include "world/Tree.h"

#include <cstdlib>
#include <exception>
#include <string>

void createScene() {
    ObjectList* objects = Singleton<ObjectList>::getInstance();
    // Each object joins the list as soon as it exists, so a later one that
    // cannot be built leaves the earlier ones in place.
    player = new Character(Vector2(0.0f, -30.0f));
    objects->add(player);
    camera = new Camera();
    objects->add(new Tree(Vector2(0.0f, 0.0f)));
    // One grave stone in each quarter; opposite stones share an interval.
    objects->add(new SpawnPoint(Vector2(200.0f, 200.0f), 15.0f));
    objects->add(new SpawnPoint(Vector2(-200.0f, 200.0f), 10.0f));
    objects->add(new SpawnPoint(Vector2(-200.0f, -200.0f), 15.0f));
    objects->add(new SpawnPoint(Vector2(200.0f, -200.0f), 10.0f));
}

void createSceneOrEnd(bool progress) {
    Logger* logger = Singleton<Logger>::getInstance();
    try {
        createScene();
    } catch (const std::exception& e) {
        logger->log(std::string("Error creating objects! Reason: ") + e.what(), 0);
    }
    if (progress) {
        logger->log("Created objects and camera", 0);
    }
    if (player == nullptr || camera == nullptr) {
        logger->log("Cannot play without the player figure and the camera", 0);
        exit(SCENE_FAILURE_STATUS);
    }
}
