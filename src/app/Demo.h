#pragma once

#include <SDL.h>

#include <string>

struct CommandLine;

// Everything the game reads from outside that can change what happens goes
// through here: the millisecond ticks, the event queue, the held keys and
// buttons, the window's focus and the particles' performance counter. Live,
// these are SDL's and the system's own. Recording (--record) writes each
// reading to a file, a frame at a time; playing back (--play, --timedemo)
// answers every reading from such a file instead, so the same game happens
// again. Only Escape and closing the window are taken from the real input
// during a playback.
namespace demo {

// Exit statuses: a recording that cannot be read or written, and one that
// asks for readings this game does not take (made by another build).
const int REFUSED_STATUS = 60;
const int OUT_OF_STEP_STATUS = 61;

// Starts what the command line asks for, before SDL starts; a file that
// cannot be read or written ends the process here with one line on standard
// error. Also reads the best score (a playback shows the recorded one and
// keeps none) and seeds the shared random source.
void begin(const CommandLine& options);

// True while a recording is played back (in real time or as fast as it can).
bool playingBack();

Uint32 ticks();
// Takes the next event; false when the queue is empty.
bool pollEvent(SDL_Event* event);
// The held keys, SDLK_LAST entries, 1 for a key that is down.
const Uint8* keyState();
// SDL's mask of the held mouse buttons.
Uint8 mouseButtons();
// SDL_GetAppState's bits.
Uint8 appState();

// Closes the frame: a recording writes what was read in it; a playback moves
// on to the next recorded frame and takes a quit from the real input. False
// once a playback has played its last frame.
bool endFrame();

// The frames of the recording still to be played, this one included.
size_t framesLeft();

// Ends a playback that has played all its frames: status 0, after a timed
// one has printed its figures.
[[noreturn]] void finish();

// Ends the process as the player asked (Escape, or the window closed): with
// status 255, after the recording's last frame is written; a timed playback
// prints its figures and ends with 0.
[[noreturn]] void quit();

} // namespace demo
