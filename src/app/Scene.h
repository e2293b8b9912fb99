#pragma once

// Exit status when no player figure or no camera could be created.
const int SCENE_FAILURE_STATUS = 121;

#include "core/Vector2.h"

// Where the scene puts its figures on the ground.
extern const Vector2 FIGURE_START;
extern const Vector2 TREE_PLACE;
// One grave stone in each quarter; opposite stones share an interval.
struct GraveStonePlace {
    Vector2 at;
    float interval;
};
extern const GraveStonePlace GRAVE_STONES[4];

// Populates the world and sets the player figure and the camera.
void createScene();

// Creates the scene; a failure is logged with its reason, and objects made
// before it stay. With progress, "Created objects and camera" follows. Ends
// the process with SCENE_FAILURE_STATUS when the figure or the camera is
// missing, since no frame can be played without them.
void createSceneOrEnd(bool progress);
