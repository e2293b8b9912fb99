#pragma once

// Starts the background music, looping for ever.
void startMusic();

// Advances the world by the previous frame's time in seconds.
void updateWorld(float dt);

// Runs the frame loop for ever; the process ends inside the control step.
[[noreturn]] void runFrameLoop();
