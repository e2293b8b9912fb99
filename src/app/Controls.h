#pragma once

union SDL_Event;

// The per-frame input step: one queued event, then the held keys and mouse
// buttons, turned into requests on the player figure. Closing the window or
// holding Escape ends the process.
void handleEvents();

// The part of the step that acts on the one event taken this frame.
void handleEvent(const SDL_Event& event);

// Forgets which function keys were held and where the pointer was, as at
// start-up.
void resetControls();

// Whether the step may grab the pointer for the window. SDL waits for as long
// as another client holds a grab, so tests that share a display switch it off.
extern bool mouseGrabAllowed;

// Holds the pointer in the window, or lets it go.
void setMouseGrab(bool on);
