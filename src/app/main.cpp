#include "app/MainLoop.h"
#include "app/StartUp.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

void closeStandardStreams() {
    fclose(stdout);
    fclose(stderr);
}

} // namespace

int main(int /*argc*/, char** /*argv*/) {
    // What SDL's entry support does elsewhere: SDL without subsystems, and
    // SDL_Quit plus the closing of the output streams at every exit.
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);
    atexit(closeStandardStreams);

    initGame();
    startMusic();
    runFrameLoop();
}
