#include "app/Globals.h"

Camera* camera = nullptr;
OBJModel* grassPlane = nullptr;
OBJModel* fence = nullptr;
Texture2D* shellTexture = nullptr;
Font font;
Water water;
float fps = 0.0f;

bool wireframe = false;
bool showFps = false;
bool magFilterNearest = true;
bool minFilterNearest = true;
bool viewCulling = true;
