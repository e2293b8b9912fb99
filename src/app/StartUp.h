#pragma once

// Brings up SDL, the audio device and the OpenGL window, sets the OpenGL
// state that holds for the whole run and installs the global clock. Ends the
// process with status 10, 50 or 100 when SDL, the audio device or the window
// cannot be had.
void initGame();

// The lighting and fog that stay in force for the whole run; needs a current
// OpenGL context.
void setUpFixedOpenGLState();
