#pragma once

#include <SDL.h>

#include <cstdlib>

// Opens the benchmarks' 1024x768 OpenGL window on first use and keeps it
// until the process ends; false when there is no display.
inline bool openBenchWindow() {
    static bool tried = false;
    static bool open = false;
    if (!tried) {
        tried = true;
        open =
            SDL_Init(SDL_INIT_VIDEO) >= 0 && SDL_SetVideoMode(1024, 768, 0, SDL_OPENGL) != nullptr;
        if (open) {
            atexit(SDL_Quit);
        }
    }
    return open;
}
