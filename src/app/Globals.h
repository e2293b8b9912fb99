#pragma once

// Application globals shared by start-up, the frame loop, the control step,
// rendering and the heads-up display.

class Camera;

extern Camera* camera;
extern int points;
extern float fps;

// Render switches flipped by the function keys (viewCulling lives with the
// camera).
extern bool wireframe;
extern bool showFps;
extern bool magFilterNearest;
extern bool minFilterNearest;
