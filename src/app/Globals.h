#pragma once

// Application globals shared by start-up, the frame loop, the control step,
// rendering and the heads-up display.

#include "text_sound/Font.h"
#include "world/Water.h"
#include "world/World.h"

class Camera;
class Character;
class OBJModel;
class Texture2D;

extern Camera* camera;
extern OBJModel* grassPlane;
extern OBJModel* fence;
extern Texture2D* shellTexture;
extern Font font;
extern Water water;
extern float fps;

// Render switches flipped by the function keys.
extern bool wireframe;
extern bool showFps;
extern bool magFilterNearest;
extern bool minFilterNearest;
// When false, every object counts as seen by the camera.
extern bool viewCulling;
