#pragma once

// Exit status when no player figure or no camera could be created.
const int SCENE_FAILURE_STATUS = 121;

// Populates the world and sets the player figure and the camera.
void createScene();

// Creates the scene; a failure is logged with its reason, and objects made
// before it stay. With progress, "Created objects and camera" follows. Ends
// the process with SCENE_FAILURE_STATUS when the figure or the camera is
// missing, since no frame can be played without them.
void createSceneOrEnd(bool progress);
