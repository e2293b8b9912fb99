#pragma once

// Draws one complete frame from the camera and presents it.
void renderFrame();

// Everything renderFrame draws, without presenting it.
void drawFrame();

// The heads-up display with the player figure's values, over whatever the
// frame has drawn.
void drawPlayerHud();

// The 3D part of the frame under the camera transform: ground, fence ring,
// visible objects and water.
void drawScene();
