#include "app/CommandLine.h"
#include "app/Controls.h"
#include "app/Demo.h"
#include "app/MainLoop.h"
#include "app/StartUp.h"
#include "platform/LargePageHeap.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

void closeStandardStreams() {
    fclose(stdout);
    fclose(stderr);
}

} // namespace

int main(int argc, char** argv) {
    // Before anything starts: a bad option must not open a window.
    const CommandLine options = CommandLine::parse(argc, argv);
    switch (options.action) {
    case CommandLine::Action::Help:
        std::fputs(usageText().c_str(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(versionText().c_str(), stdout);
        return 0;
    case CommandLine::Action::Fail:
        std::fprintf(stderr, "%s\n", options.error.c_str());
        return 2;
    case CommandLine::Action::Play:
        break;
    }
    turnSensitivity = options.sensitivity;

    // Before SDL and the OpenGL driver start allocating.
    platform::reserveLargePageHeap();

    // The game needs an OpenGL window, which only X11 gives us. Left to
    // itself, SDL falls back to a text-mode driver when there is no X
    // display, which takes over the terminal or ends the process without a
    // word; with X11 named, a missing display is reported as such.
    setenv("SDL_VIDEODRIVER", "x11", 0);

    // What SDL's entry support does elsewhere: SDL without subsystems, and
    // SDL_Quit plus the closing of the output streams at every exit.
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);
    atexit(closeStandardStreams);

    // A recording to play that cannot be read, or one to make that cannot be
    // written, ends the game before its window opens.
    demo::begin(options);

    StartOptions start;
    start.fullscreen = options.fullscreen;
    start.noSound = options.noSound;
    const char* fallback = std::getenv("MORROWFEN_SOUND_FALLBACK");
    start.soundFallback = fallback != nullptr && *fallback != '\0';
    initGame(start);
    startMusic();
    runFrameLoop();
}
