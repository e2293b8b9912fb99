// The yardstick for the game's start-up: the same platform calls the game
// makes before it loads anything (SDL with audio and video, the audio
// device, the 1024x768 OpenGL window and its title), then one cleared frame
// presented. Right after that swap it writes one line to the file named by
// MORROWFEN_TRACE, as the game writes its first trace line right after its
// first swap, and ends. scripts/bench-startup.py times both from exec to
// that line.

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_opengl.h>

#include <cstdio>
#include <cstdlib>

int main(int /*argc*/, char** /*argv*/) {
    setenv("SDL_VIDEODRIVER", "x11", 0);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    atexit(SDL_Quit);

    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        std::printf("Unable to initialize SDL: %s\n", SDL_GetError());
        return 10;
    }
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096) != 0) {
        std::printf("Unable to initialize Audio: %s\n", SDL_GetError());
        return 50;
    }
    if (SDL_SetVideoMode(1024, 768, 0, SDL_OPENGL) == nullptr) {
        std::printf("Unable to create OpenGL screen: %s\n", SDL_GetError());
        return 100;
    }
    SDL_WM_SetCaption("Morrowfen", nullptr);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();

    const char* path = std::getenv("MORROWFEN_TRACE");
    if (path != nullptr && *path != '\0') {
        std::FILE* file = std::fopen(path, "w");
        if (file == nullptr) {
            std::perror(path);
            return 1;
        }
        std::fputs("{\"frame\":1}\n", file);
        std::fclose(file);
    }
    return 0;
}
