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

const Vector2 FIGURE_START(0.0f, -30.0f);
const Vector2 TREE_PLACE(0.0f, 0.0f);
const GraveStonePlace GRAVE_STONES[4] = {{Vector2(200.0f, 200.0f), 15.0f},
                                         {Vector2(-200.0f, 200.0f), 10.0f},
                                         {Vector2(-200.0f, -200.0f), 15.0f},
                                         {Vector2(200.0f, -200.0f), 10.0f}};

void createScene() {
    ObjectList* objects = Singleton<ObjectList>::getInstance();
    // Each object joins the list as soon as it exists, so a later one that
    // cannot be built leaves the earlier ones in place.
    player = new Character(FIGURE_START);
    objects->add(player);
    camera = new Camera();
    objects->add(new Tree(TREE_PLACE));
    for (const GraveStonePlace& stone : GRAVE_STONES) {
        objects->add(new SpawnPoint(stone.at, stone.interval));
    }
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
