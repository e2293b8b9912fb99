#include "app/MainLoop.h"
#include "core/Heading.h"

#include "app/Controls.h"
#include "app/Demo.h"
#include "app/FrameTimer.h"
#include "app/Globals.h"
#include "app/Pause.h"
#include "app/Renderer.h"
#include "app/Round.h"
#include "app/Trace.h"
#include "core/Camera.h"
#include "physics/ParticleSystem.h"
#include "text_sound/AudioPlayer.h"
#include "world/Character.h"
#include "world/ObjectList.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace {

// How long a still frame waits for input before it is drawn again.
const unsigned int STILL_FRAME_MS = 100;

} // namespace

void startMusic() {
    Singleton<AudioPlayer>::getInstance()->playMusic("res/Ravonel.ogg");
}

void placeCamera() {
    // Without a figure (scene creation failed) the camera stays where it is.
    if (player == nullptr || camera == nullptr) {
        return;
    }
    Vector2 p = player->getPosition() - headingDirection(player->getHeading()) * 90.0f;
    camera->setPosition(p);
    camera->setYaw(player->getHeading());
    camera->setPitch(player->getPitch());
}

int worldSteps(float dt) {
    int n = 1;
    while (dt / n > MAX_WORLD_STEP) {
        ++n;
    }
    return n;
}

WorldAdvance updateWorld(float frameTime) {
    WorldAdvance advance;
    advance.dt = std::min(frameTime, MAX_FRAME_TIME);
    const int n = worldSteps(advance.dt);
    const float step = advance.dt / n;
    // The control step asked for this frame's movement once; the figure's
    // update clears it, so it is asked again for every step.
    const unsigned char movement = player != nullptr ? player->getMovement() : 0;
    ObjectList* objects = Singleton<ObjectList>::getInstance();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && player != nullptr) {
            // The list deletes a dead figure in its next update, and the
            // round ends on this frame.
            if (player->isMarkedForDestruction()) {
                break;
            }
            player->setMovement(movement);
        }
        objects->update(step);
        advance.steps += 1;
    }
    // After the list has moved the figure, so the frame is seen from behind
    // where it now stands.
    placeCamera();
    // The particles keep their own time, from the engine clock.
    Singleton<Quillmere::Physics::ParticleSystem>::getInstance()->update();
    return advance;
}

WorldAdvance playFrame(float frameTime) {
    WorldAdvance advance;
    advance.dt = std::min(frameTime, MAX_FRAME_TIME);
    if (roundOver && roundOverInput()) {
        startNewRound();
    }
    if (paused && pausedInput()) {
        // The world goes on from the next frame, whose time is this frame's
        // alone: nothing jumps by the pause's last wait.
        resumeGame();
        drawFrame();
    } else if (roundOver) {
        drawRoundOver();
    } else if (paused) {
        drawPaused();
    } else {
        // Checked before the world moves as well as after: the list deletes
        // a figure marked for removal in its next update.
        bool ended = endRoundIfFigureDied();
        bool pausing = false;
        if (!ended) {
            pausing = handleEvents();
            if (!pausing) {
                advance = updateWorld(frameTime);
                ended = endRoundIfFigureDied();
            }
        }
        drawFrame();
        if (ended) {
            showRoundOver();
        } else if (pausing) {
            pauseGame();
        }
    }
    SDL_GL_SwapBuffers();
    return advance;
}

void runFrame(FrameTimer& timer, Trace* trace) {
    Uint32 t1 = demo::ticks();
    Uint32 t2 = demo::ticks();
    float frameTime = timer.beginFrame(t1, t2);
    WorldAdvance advance = playFrame(frameTime);
    timer.countFrame(fps);
    if (trace != nullptr) {
        trace->writeFrame(advance.dt, advance.steps);
    }
    // Nothing moves: a few frames a second are enough, and waking on
    // input keeps the game quick to answer.
    if (roundOver || paused) {
        waitForInput(STILL_FRAME_MS);
    }
}

void runFrameLoop() {
    FrameTimer timer;
    Trace* trace = Trace::open();
    for (;;) {
        runFrame(timer, trace);
        if (!demo::endFrame()) {
            demo::finish();
        }
    }
}
