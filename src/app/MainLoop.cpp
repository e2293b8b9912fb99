#include "app/MainLoop.h"

#include "app/Controls.h"
#include "app/FrameTimer.h"
#include "app/Globals.h"
#include "app/Renderer.h"

#include <SDL.h>

void updateWorld(float /*dt*/) {
    // The object list, the camera placement behind the player and the
    // particle system join here with the world.
}

void runFrameLoop() {
    FrameTimer timer;
    for (;;) {
        Uint32 t1 = SDL_GetTicks();
        Uint32 t2 = SDL_GetTicks();
        float frameTime = timer.beginFrame(t1, t2);
        handleEvents();
        updateWorld(frameTime);
        renderFrame();
        timer.countFrame(fps);
    }
}
