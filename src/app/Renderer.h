#pragma once

// Draws one complete frame from the camera and presents it.
void renderFrame();

// Everything renderFrame draws, without presenting it.
void drawFrame();

// The game's lens: 45 degrees high, 4:3, from 0.1 to 600 units, with an
// identity model-view; leaves the matrix mode at model-view.
void useGamePerspective();

class OBJModel;

// The fence: four rows of seven segments on the lines x = 400, z = 400,
// x = -400 and z = -400, 123 units apart; the rows along z turned a quarter.
void drawFenceRing(OBJModel& segment);

// The heads-up display with the player figure's values, over whatever the
// frame has drawn.
void drawPlayerHud();

// The 3D part of the frame under the camera transform: ground, fence ring,
// visible objects and water.
void drawScene();
