#include "app/MainLoop.h"

#include "app/Controls.h"
#include "app/FrameTimer.h"
#include "app/Globals.h"
#include "app/Renderer.h"
#include "world/ObjectList.h"

#include <SDL.h>

void updateWorld(float dt) {
    Singleton<ObjectList>::getInstance()->update(dt);
    // Placing the camera behind the player and advancing the particles join
    // here with the player figure and the particle system.
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
