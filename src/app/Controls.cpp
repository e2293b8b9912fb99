#include "app/Controls.h"

#include "app/Demo.h"
#include "app/Globals.h"
#include "core/Camera.h"
#include "world/Character.h"

#include <SDL.h>

#include <cstdlib>

namespace {

// The debugging switches in the order their keys are looked at.
struct Switch {
    SDLKey key;
    bool* flag;
};
const Switch switches[] = {{SDLK_F3, &wireframe},
                           {SDLK_F2, &showFps},
                           {SDLK_F4, &magFilterNearest},
                           {SDLK_F5, &minFilterNearest},
                           {SDLK_F6, &viewCulling}};
const int SWITCH_COUNT = sizeof switches / sizeof switches[0];

// Which function keys were down in the previous frame: a switch flips once
// per press, however many frames the key stays down.
bool switchKeyWasDown[SWITCH_COUNT];

// SDL measures the first motion it reports from the corner of the screen, so
// that event only tells where the pointer is.
bool pointerKnown = false;

// Keys and buttons held when input was last dropped; each counts as up until
// it has been let go.
Uint8 heldBackKeys[SDLK_LAST];
Uint8 heldBackButtons = 0;

// The pause key is acted on when it goes down, not while it is held.
bool pauseKeyWasDown = false;

// Whether the window has had the keyboard focus since input was last
// dropped: only a window that had it can lose it.
bool windowHadFocus = false;

bool isPauseKey(SDLKey key) {
    return key == SDLK_p || key == SDLK_PAUSE;
}

// The held keys as play sees them: those held back are up until let go.
void heldKeys(Uint8 (&held)[SDLK_LAST]) {
    const Uint8* keys = demo::keyState();
    for (int k = 0; k < SDLK_LAST; ++k) {
        const bool down = keys[k] != 0;
        if (!down) {
            heldBackKeys[k] = 0;
        }
        held[k] = down && heldBackKeys[k] == 0;
    }
}

Uint8 heldButtons() {
    const Uint8 buttons = demo::mouseButtons();
    heldBackButtons &= buttons;
    return buttons & ~heldBackButtons;
}

// True when the pause key went down since the last frame.
bool handleHeldKeys(const Uint8* keys) {
    if (keys[SDLK_ESCAPE]) {
        demo::quit();
    }
    if (player != nullptr) {
        if (keys[SDLK_w]) {
            player->moveForward();
        } else if (keys[SDLK_s]) {
            player->moveBackward();
        }
        if (keys[SDLK_a]) {
            player->strafeLeft();
        } else if (keys[SDLK_d]) {
            player->strafeRight();
        }
    }
    // Of the keys that went down since the last frame only the first flips
    // its switch.
    bool flipped = false;
    for (int i = 0; i < SWITCH_COUNT; ++i) {
        bool down = keys[switches[i].key] != 0;
        if (down && !switchKeyWasDown[i] && !flipped) {
            *switches[i].flag = !*switches[i].flag;
            flipped = true;
        }
        switchKeyWasDown[i] = down;
    }
    const bool pauseDown = keys[SDLK_p] != 0 || keys[SDLK_PAUSE] != 0;
    const bool pressed = pauseDown && !pauseKeyWasDown;
    pauseKeyWasDown = pauseDown;
    return pressed;
}

void handleHeldButtons(Uint8 buttons) {
    if (player == nullptr) {
        return;
    }
    if (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) {
        player->fire();
    }
    if (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) {
        player->reload();
    }
}

// A player who switches to another window finds the game waiting.
bool focusLost() {
    if ((demo::appState() & SDL_APPINPUTFOCUS) != 0) {
        windowHadFocus = true;
        return false;
    }
    return windowHadFocus && focusPauseAllowed;
}

} // namespace

float turnSensitivity = 1.0f;
bool mouseGrabAllowed = true;
bool focusPauseAllowed = true;

void setMouseGrab(bool on) {
    // Turning must not stop at the edge of the screen, so the pointer stays
    // with the window while it has the keyboard.
    if (!mouseGrabAllowed) {
        return;
    }
    if ((SDL_WM_GrabInput(SDL_GRAB_QUERY) == SDL_GRAB_ON) != on) {
        SDL_WM_GrabInput(on ? SDL_GRAB_ON : SDL_GRAB_OFF);
    }
}

void resetControls() {
    for (bool& down : switchKeyWasDown) {
        down = false;
    }
    pointerKnown = false;
}

bool handleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        // Also seen in the held keys, unless it came and went between two
        // frames.
        return isPauseKey(event.key.keysym.sym);
    case SDL_MOUSEMOTION:
        if (!pointerKnown) {
            pointerKnown = true;
        } else if (player != nullptr) {
            player->turn(event.motion.xrel * turnSensitivity);
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
        // A click into a window that lost the pointer takes it back.
        setMouseGrab(true);
        if (player != nullptr && event.button.button == SDL_BUTTON_WHEELUP) {
            player->nextWeapon();
        } else if (player != nullptr && event.button.button == SDL_BUTTON_WHEELDOWN) {
            player->previousWeapon();
        }
        break;
    case SDL_ACTIVEEVENT:
        if (event.active.state & SDL_APPINPUTFOCUS) {
            setMouseGrab(event.active.gain != 0);
        }
        break;
    case SDL_QUIT:
        demo::quit();
    default:
        break;
    }
    return false;
}

bool handleEvents() {
    SDL_ShowCursor(SDL_DISABLE);
    // A window that opens with the focus gets no focus event to say so.
    static bool grabChecked = false;
    if (!grabChecked) {
        grabChecked = true;
        setMouseGrab((demo::appState() & SDL_APPINPUTFOCUS) != 0);
    }

    // One event per frame; the rest of the queue waits for later frames.
    bool pause = false;
    SDL_Event event;
    if (demo::pollEvent(&event)) {
        pause = handleEvent(event);
    }
    Uint8 keys[SDLK_LAST];
    heldKeys(keys);
    pause = handleHeldKeys(keys) || pause;
    handleHeldButtons(heldButtons());
    return focusLost() || pause;
}

void dropQueuedEvents() {
    SDL_Event event;
    while (demo::pollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            demo::quit();
        }
    }
}

void dropPendingInput() {
    dropQueuedEvents();
    const Uint8* keys = demo::keyState();
    for (int k = 0; k < SDLK_LAST; ++k) {
        heldBackKeys[k] = keys[k];
    }
    heldBackKeys[SDLK_ESCAPE] = 0;
    heldBackButtons = demo::mouseButtons();
    pauseKeyWasDown = false;
    windowHadFocus = false;
    // Pointer motion made while play stood still does not turn the figure.
    pointerKnown = false;
}

StillInput readStillInput() {
    SDL_ShowCursor(SDL_ENABLE);
    StillInput input;
    SDL_Event event;
    while (demo::pollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            demo::quit();
        }
        if (event.type == SDL_KEYDOWN) {
            const SDLKey key = event.key.keysym.sym;
            if (key == SDLK_ESCAPE) {
                demo::quit();
            }
            input.enter = input.enter || key == SDLK_RETURN || key == SDLK_KP_ENTER;
            input.pauseKey = input.pauseKey || isPauseKey(key);
        }
        if (event.type == SDL_MOUSEBUTTONDOWN) {
            const Uint8 button = event.button.button;
            input.leftClick = input.leftClick || button == SDL_BUTTON_LEFT;
            input.click =
                input.click || (button != SDL_BUTTON_WHEELUP && button != SDL_BUTTON_WHEELDOWN);
        }
    }
    if (demo::keyState()[SDLK_ESCAPE]) {
        demo::quit();
    }
    return input;
}

void waitForInput(unsigned int ms) {
    // A playback keeps the recording's own time.
    if (demo::playingBack()) {
        return;
    }
    const Uint32 mask = SDL_EVENTMASK(SDL_KEYDOWN) | SDL_EVENTMASK(SDL_MOUSEBUTTONDOWN) |
                        SDL_EVENTMASK(SDL_QUIT) | SDL_EVENTMASK(SDL_ACTIVEEVENT);
    const Uint32 start = SDL_GetTicks();
    for (;;) {
        SDL_PumpEvents();
        SDL_Event events[16];
        // Motion would fill the queue, and wakes nothing.
        while (SDL_PeepEvents(events, 16, SDL_GETEVENT, SDL_MOUSEMOTIONMASK) > 0) {
        }
        if (SDL_PeepEvents(events, 1, SDL_PEEKEVENT, mask) > 0 || SDL_GetTicks() - start >= ms) {
            return;
        }
        SDL_Delay(5);
    }
}
