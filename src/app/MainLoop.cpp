#include "app/MainLoop.h"

#include "app/Controls.h"
#include "app/FrameTimer.h"
#include "app/Globals.h"
#include "app/Renderer.h"
#include "app/Round.h"
#include "app/Trace.h"
#include "core/Camera.h"
#include "physics/ParticleSystem.h"
#include "text_sound/AudioPlayer.h"
#include "world/Character.h"
#include "world/ObjectList.h"

#include <SDL.h>

#include <cmath>

void startMusic() {
    Singleton<AudioPlayer>::getInstance()->playMusic("res/Ravonel.ogg");
}

void placeCamera() {
    // Without a figure (scene creation failed) the camera stays where it is.
    if (player == nullptr || camera == nullptr) {
        return;
    }
    double a = player->getHeading() * 3.14159f / 180.0;
    Vector2 d(static_cast<float>(std::sin(a)), static_cast<float>(-std::cos(a)));
    Vector2 p = player->getPosition() - d * 90.0f;
    camera->setPosition(p);
    camera->setYaw(player->getHeading());
    camera->setPitch(player->getPitch());
}

void updateWorld(float dt) {
    Singleton<ObjectList>::getInstance()->update(dt);
    // After the list has moved the figure, so the frame is seen from behind
    // where it now stands.
    placeCamera();
    // The particles keep their own time, from the engine clock.
    Singleton<Quillmere::Physics::ParticleSystem>::getInstance()->update();
}

void playFrame(float frameTime) {
    if (roundOver && roundOverInput()) {
        startNewRound();
    }
    if (roundOver) {
        drawRoundOver();
    } else {
        // Checked before the world moves as well as after: the list deletes
        // a figure marked for removal in its next update.
        bool ended = endRoundIfFigureDied();
        if (!ended) {
            handleEvents();
            updateWorld(frameTime);
            ended = endRoundIfFigureDied();
        }
        drawFrame();
        if (ended) {
            showRoundOver();
        }
    }
    SDL_GL_SwapBuffers();
}

void runFrameLoop() {
    FrameTimer timer;
    Trace* trace = Trace::open();
    for (;;) {
        Uint32 t1 = SDL_GetTicks();
        Uint32 t2 = SDL_GetTicks();
        float frameTime = timer.beginFrame(t1, t2);
        playFrame(frameTime);
        timer.countFrame(fps);
        if (trace != nullptr) {
            trace->writeFrame(frameTime);
        }
    }
}
