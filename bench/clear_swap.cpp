// The yardstick for a timed playback: the window the game opens, then a
// number of frames that do nothing but clear and present, timed and reported
// as `morrowfen --timedemo` reports its frames. scripts/bench-timedemo.py
// runs the two side by side.

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    if (frames <= 0) {
        std::fprintf(stderr, "usage: bare_clear_swap [FRAMES]\n");
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::printf("Unable to initialize SDL: %s\n", SDL_GetError());
        return 10;
    }
    atexit(SDL_Quit);
    if (SDL_SetVideoMode(1024, 768, 0, SDL_OPENGL) == nullptr) {
        std::printf("Unable to create OpenGL screen: %s\n", SDL_GetError());
        return 100;
    }
    SDL_WM_SetCaption("Morrowfen", nullptr);

    using Clock = std::chrono::steady_clock;
    std::vector<double> seconds;
    Clock::time_point last = Clock::now();
    for (long i = 0; i < frames; ++i) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        const Clock::time_point now = Clock::now();
        seconds.push_back(std::chrono::duration<double>(now - last).count());
        last = now;
    }
    std::sort(seconds.begin(), seconds.end());
    double total = 0.0;
    for (double s : seconds) {
        total += s;
    }
    const size_t n = seconds.size();
    std::printf("frames: %zu\n", n);
    std::printf("seconds: %.3f\n", total);
    std::printf("average: %.1f frames a second\n", n / total);
    std::printf("99th percentile: %.2f ms\n",
                seconds[std::min(n - 1, (n * 99 + 99) / 100 - 1)] * 1000.0);
    std::printf("longest: %.2f ms\n", seconds.back() * 1000.0);
    return 0;
}
