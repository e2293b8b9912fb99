#pragma once

// Exit status of a start-up that cannot load the font.
const int FONT_FAILURE_STATUS = 120;

struct StartOptions {
    // The window covers the screen, at the same 1024 x 768.
    bool fullscreen = false;
    // The audio device is never opened; every sound stays silent.
    bool noSound = false;
    // An audio device that cannot be opened is said in one line on standard
    // error and the game plays in silence, instead of ending with 50.
    bool soundFallback = false;
};

// Brings up SDL, the audio device and the OpenGL window, sets the OpenGL
// state that holds for the whole run, loads the font, creates the scene,
// installs the global clock. Ends the process with
// status 10, 50, 100, FONT_FAILURE_STATUS or SCENE_FAILURE_STATUS when SDL,
// the audio device (unless the options say to do without), the window, the
// font or the player figure and the camera cannot be had.
void initGame(const StartOptions& options = StartOptions());

// All of start-up after the window opens: the art, the OpenGL state, the
// font, the scene and the global clock, in a current OpenGL context.
void loadGame();

// The lighting and fog that stay in force for the whole run; needs a current
// OpenGL context.
void setUpFixedOpenGLState();
