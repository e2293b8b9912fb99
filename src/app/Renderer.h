#pragma once

// Draws one complete frame from the camera and presents it.
void renderFrame();
