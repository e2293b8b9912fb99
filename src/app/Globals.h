#pragma once

// Application globals shared by start-up, the frame loop, the control step,
// rendering and the heads-up display.

#include "text_sound/Font.h"
#include "world/Water.h"

class Camera;
class Character;
class OBJModel;
class Texture2D;

extern Character* player;
extern Camera* camera;
extern OBJModel* grassPlane;
extern OBJModel* fence;
extern Texture2D* shellTexture;
extern Font font;
extern Water water;
extern int points;
extern float fps;

// Render switches flipped by the function keys (viewCulling lives with the
// camera).
extern bool wireframe;
extern bool showFps;
extern bool magFilterNearest;
extern bool minFilterNearest;
