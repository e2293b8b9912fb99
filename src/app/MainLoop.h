#pragma once

// Starts the background music, looping for ever.
void startMusic();

// Puts the camera 90 units behind the player figure, looking where it looks.
void placeCamera();

// Advances the world by the previous frame's time in seconds.
void updateWorld(float dt);

// One frame: input, world, drawing and the swap while the round is played;
// the still field under the round's end while it is over.
void playFrame(float frameTime);

// Runs the frame loop for ever; the process ends inside the control step.
[[noreturn]] void runFrameLoop();
