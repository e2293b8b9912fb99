#include "app/Controls.h"

#include "app/Globals.h"
#include "core/Camera.h"

#include <SDL.h>

#include <cstdlib>

void handleEvents() {
    SDL_ShowCursor(SDL_DISABLE);

    // One event per frame; the rest of the queue waits for later frames.
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            exit(-1);
        default:
            // Turning and weapon changes join with the player figure.
            break;
        }
    }

    Uint8* keys = SDL_GetKeyState(nullptr);
    if (keys[SDLK_ESCAPE]) {
        exit(-1);
    }

    // Only the first held function key flips its switch in a frame.
    if (keys[SDLK_F3]) {
        wireframe = !wireframe;
    } else if (keys[SDLK_F2]) {
        showFps = !showFps;
    } else if (keys[SDLK_F4]) {
        magFilterNearest = !magFilterNearest;
    } else if (keys[SDLK_F5]) {
        minFilterNearest = !minFilterNearest;
    } else if (keys[SDLK_F6]) {
        viewCulling = !viewCulling;
    }
}
