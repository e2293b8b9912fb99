#include "app/MainLoop.h"

#include "app/Controls.h"
#include "app/FrameTimer.h"
#include "app/Globals.h"
#include "app/Renderer.h"
#include "physics/ParticleSystem.h"
#include "text_sound/AudioPlayer.h"
#include "world/ObjectList.h"

#include <SDL.h>

void startMusic() {
    Singleton<AudioPlayer>::getInstance()->playMusic("res/Ravonel.ogg");
}

void updateWorld(float dt) {
    Singleton<ObjectList>::getInstance()->update(dt);
    // Placing the camera behind the player joins here with the figure.

    // The particles keep their own time, from the engine clock.
    Singleton<Quillmere::Physics::ParticleSystem>::getInstance()->update();
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
