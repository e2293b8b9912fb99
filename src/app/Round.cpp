#include "app/Round.h"

#include "app/BestScore.h"
#include "app/Controls.h"
#include "app/Demo.h"
#include "app/Globals.h"
#include "app/Scene.h"
#include "app/StillFrame.h"
#include "core/Camera.h"
#include "physics/ParticleSystem.h"
#include "text_sound/Font.h"
#include "world/Character.h"
#include "world/ObjectList.h"

#include <SDL.h>
#include <SDL_opengl.h>

int roundNumber = 1;
bool roundOver = false;

namespace {

void drawMessage() {
    drawMessageBand();
    glColor3f(1.0f, 0.0f, 0.0f);
    print(font, 370, 425, "The round is over");
    glColor3f(1.0f, 1.0f, 1.0f);
    print(font, 300, 380, "Points: %d      Best: %d", points, bestScore().get());
    print(font, 150, 325, "Enter or a click plays again, Escape quits");
}

} // namespace

BestScore& bestScore() {
    static BestScore best(BestScore::defaultPath());
    return best;
}

bool endRoundIfFigureDied() {
    if (roundOver || player == nullptr || !player->isMarkedForDestruction()) {
        return false;
    }
    // The figure stays in the list, and the list is not updated again, until
    // the next round clears it: nothing that still points at it sees it go.
    roundOver = true;
    bestScore().offer(points);
    setMouseGrab(false);
    return true;
}

void showRoundOver() {
    keepFrame();
    drawMessage();
}

void drawRoundOver() {
    drawKeptFrame();
    drawMessage();
}

bool roundOverInput() {
    StillInput input = readStillInput();
    return input.enter || input.leftClick;
}

void startNewRound() {
    Singleton<ObjectList>::getInstance()->clear();
    player = nullptr;
    delete camera;
    camera = nullptr;
    points = 0;
    roundNumber += 1;
    roundOver = false;
    forgetKeptFrame();
    // Nothing of the last round's spray is left on the new field.
    Singleton<Quillmere::Physics::ParticleSystem>::getInstance()->clear();
    createSceneOrEnd(false);
    // The Enter or the click that asked for this round, and whatever was
    // held when the last one ended, do not act in it.
    dropPendingInput();
    setMouseGrab((demo::appState() & SDL_APPINPUTFOCUS) != 0);
}
