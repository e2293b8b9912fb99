#pragma once

// A pause: the world and the particles stand still under a message, the
// pointer is let go and shown, and the music plays on. P, the Pause key or a
// click goes on; Escape and closing the window still quit.

// The game is paused.
extern bool paused;

// Pauses over the frame just drawn, which is kept to stand behind the
// message for as long as the pause lasts.
void pauseGame();

// Shows the kept frame and the message again.
void drawPaused();

// Input while paused; true when P, the Pause key or a click asks to go on.
bool pausedInput();

// Goes on: the pointer is taken back, the key or click that resumed does not
// act in play, and the particles' clock does not count the pause.
void resumeGame();
