#pragma once

#include <string>

// The heads-up display, drawn over the finished scene at the end of a frame
// in the global font: weapon and rounds bottom left, health top right, score
// top left, the frame rate under it when switched on.

// Sets the window-pixel projection the other calls of the frame draw under,
// writes the weapon's name and spare clips and draws one shell per round.
// Leaves texturing, the alpha test (alpha > 0.9) and lighting on and the
// depth test off, for the rest of this frame and the scene of the next.
void drawWeaponInfo(int rounds, int clips, const std::string& weaponName);

void drawHealth(float health, float maxHealth);

// The score, from the global points.
void drawPoints();

void drawFps(float fps);

// The whole display of a frame, in order; the frame rate only while showFps
// is on.
void drawHud(const std::string& weaponName, int rounds, int clips, float health, float maxHealth);
