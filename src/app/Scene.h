#pragma once

// Populates the world at start-up and sets the camera.
void createScene();
