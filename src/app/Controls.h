#pragma once

union SDL_Event;

// The per-frame input step: one queued event, then the held keys and mouse
// buttons, turned into requests on the player figure. Closing the window or
// holding Escape ends the process. Returns true when the player asks for a
// pause: P or the Pause key went down, or the window lost the keyboard focus
// it had.
bool handleEvents();

// The part of the step that acts on the one event taken this frame; true
// when the event asks for a pause.
bool handleEvent(const SDL_Event& event);

// Forgets which function keys were held and where the pointer was, as at
// start-up.
void resetControls();

// Empties the event queue; closing the window still quits.
void dropQueuedEvents();

// Empties the event queue (closing the window still quits) and makes every
// key and button held now count as up until it is let go, so that the key
// or click that ended a pause or began a round, or a key held from before,
// does not act in play. Escape is never held back.
void dropPendingInput();

// What was asked for while the world stands still (a pause, a round's end).
struct StillInput {
    bool enter = false;     // Enter or the keypad's Enter went down
    bool pauseKey = false;  // P or the Pause key went down
    bool click = false;     // a mouse button other than the wheel went down
    bool leftClick = false; // the left button went down
};

// Input while the world stands still: takes every queued event and shows
// the pointer. Escape and closing the window quit as in play.
StillInput readStillInput();

// Waits up to ms milliseconds for a key or button to go down, the window to
// be closed or its focus to change, so that a still game does not redraw as
// fast as it can. Pointer motion meanwhile is dropped.
void waitForInput(unsigned int ms);

// Whether the step may grab the pointer for the window. SDL waits for as long
// as another client holds a grab, so tests that share a display switch it off.
extern bool mouseGrabAllowed;

// Whether losing the keyboard focus pauses the game. Tests that share a
// display, where other windows come and go, switch it off.
extern bool focusPauseAllowed;

// Degrees the figure turns for a pixel of sideways pointer motion.
extern float turnSensitivity;

// Holds the pointer in the window, or lets it go.
void setMouseGrab(bool on);
