#include "app/Pause.h"

#include "app/Controls.h"
#include "app/Demo.h"
#include "app/Globals.h"
#include "app/StillFrame.h"
#include "core/IClock.h"

#include <SDL.h>
#include <SDL_opengl.h>

bool paused = false;

namespace {

void drawMessage() {
    drawMessageBand();
    glColor3f(1.0f, 0.0f, 0.0f);
    print(font, 363, 405, "The game is paused");
    glColor3f(1.0f, 1.0f, 1.0f);
    print(font, 258, 350, "P or a click plays on, Escape quits");
}

} // namespace

void pauseGame() {
    paused = true;
    // The press that paused, still queued, must not also go on.
    dropQueuedEvents();
    setMouseGrab(false);
    SDL_ShowCursor(SDL_ENABLE);
    keepFrame();
    drawMessage();
}

void drawPaused() {
    drawKeptFrame();
    drawMessage();
}

bool pausedInput() {
    StillInput input = readStillInput();
    return input.pauseKey || input.click;
}

void resumeGame() {
    paused = false;
    forgetKeptFrame();
    dropPendingInput();
    setMouseGrab((demo::appState() & SDL_APPINPUTFOCUS) != 0);
    // The spray takes up where it stood, as the world does.
    if (Quillmere::getClock() != nullptr) {
        Quillmere::getClock()->skip();
    }
}
