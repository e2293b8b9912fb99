#include "app/Controls.h"

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

void handleHeldKeys(const Uint8* keys) {
    if (keys[SDLK_ESCAPE]) {
        exit(-1);
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

} // namespace

bool mouseGrabAllowed = true;

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

void handleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_MOUSEMOTION:
        if (!pointerKnown) {
            pointerKnown = true;
        } else if (player != nullptr) {
            player->turn(event.motion.xrel);
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
        exit(-1);
    default:
        break;
    }
}

void handleEvents() {
    SDL_ShowCursor(SDL_DISABLE);
    // A window that opens with the focus gets no focus event to say so.
    static bool grabChecked = false;
    if (!grabChecked) {
        grabChecked = true;
        setMouseGrab((SDL_GetAppState() & SDL_APPINPUTFOCUS) != 0);
    }

    // One event per frame; the rest of the queue waits for later frames.
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
        handleEvent(event);
    }
    handleHeldKeys(SDL_GetKeyState(nullptr));
    handleHeldButtons(SDL_GetMouseState(nullptr, nullptr));
}
