#pragma once

// Exit status of a start-up that cannot load the font.
const int FONT_FAILURE_STATUS = 120;

// Brings up SDL, the audio device and the OpenGL window, sets the OpenGL
// state that holds for the whole run, loads the font and installs the global
// clock. Ends the process with status 10, 50, 100 or FONT_FAILURE_STATUS
// when SDL, the audio device, the window or the font cannot be had.
void initGame();

// The lighting and fog that stay in force for the whole run; needs a current
// OpenGL context.
void setUpFixedOpenGLState();
