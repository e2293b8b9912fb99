#pragma once

// Exit status of a start-up that cannot load the font.
const int FONT_FAILURE_STATUS = 120;

// Brings up SDL, the audio device and the OpenGL window, sets the OpenGL
// state that holds for the whole run, loads the font, creates the scene,
// installs the global clock and reads the best score. Ends the process with
// status 10, 50, 100, FONT_FAILURE_STATUS or SCENE_FAILURE_STATUS when SDL,
// the audio device, the window, the font or the player figure and the camera
// cannot be had.
void initGame();

// The lighting and fog that stay in force for the whole run; needs a current
// OpenGL context.
void setUpFixedOpenGLState();
