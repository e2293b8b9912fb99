#include "app/StartUp.h"

#include "app/Globals.h"
#include "app/Round.h"
#include "app/Scene.h"
#include "app/StillFrame.h"
#include "assets/OBJModel.h"
#include "assets/Texture2DManager.h"
#include "core/ClockHighDef.h"
#include "core/Logger.h"
#include "text_sound/AudioPlayer.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_opengl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

void log(const std::string& line) {
    Singleton<Logger>::getInstance()->log(line, 0);
}

// Runs start with standard error shut: the sound libraries below SDL write
// lines of their own while they look for a device, and a player who gets
// the silent fallback hears of it in one line of ours.
template <class Start> int quietly(Start start) {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) {
        dup2(null, STDERR_FILENO);
    }
    const int result = start();
    std::fflush(stderr);
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    if (null >= 0) {
        close(null);
    }
    return result;
}

int openAudio() {
    return Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096);
}

} // namespace

void setUpFixedOpenGLState() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    GLfloat global_ambient[] = {0.3f, 0.3f, 0.3f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, global_ambient);

    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);

    // Given under the identity matrix, so the light travels with the eye.
    GLfloat lposition[] = {0.0f, 0.0f, 150.0f, 1.0f};
    GLfloat spotDir[] = {0.0f, 0.0f, -1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lposition);
    glLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, spotDir);

    GLfloat fogColor[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_DENSITY, 0.85f);
    glHint(GL_FOG_HINT, GL_NICEST);
    glFogf(GL_FOG_START, 100.0f);
    glFogf(GL_FOG_END, 500.0f);
    glEnable(GL_FOG);
}

void initGame(const StartOptions& options) {
    const Uint32 subsystems = options.noSound ? SDL_INIT_VIDEO : SDL_INIT_AUDIO | SDL_INIT_VIDEO;
    auto startSdl = [subsystems] { return SDL_Init(subsystems); };
    if ((options.soundFallback ? quietly(startSdl) : startSdl()) < 0) {
        log(std::string("Unable to initialize SDL: ") + SDL_GetError());
        exit(10);
    }
    log("Initialized SDL");

    const bool opened =
        !options.noSound && (options.soundFallback ? quietly(openAudio) : openAudio()) == 0;
    if (options.noSound) {
        AudioPlayer::getInstance()->setSilent(true);
    } else if (opened) {
        log("Initialized audio-device");
    } else if (options.soundFallback) {
        std::fprintf(stderr,
                     "morrowfen: no sound device could be opened (%s); playing without sound\n",
                     SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        AudioPlayer::getInstance()->setSilent(true);
    } else {
        log(std::string("Unable to initialize Audio: ") + SDL_GetError());
        exit(50);
    }

    const Uint32 screen = options.fullscreen ? SDL_OPENGL | SDL_FULLSCREEN : SDL_OPENGL;
    if (SDL_SetVideoMode(1024, 768, 0, screen) == nullptr) {
        log(std::string("Unable to create OpenGL screen: ") + SDL_GetError());
        SDL_Quit();
        exit(100);
    }
    log("Set up OpenGL-screen");
    SDL_WM_SetCaption("Morrowfen", nullptr);
    loadGame();
}

void loadGame() {
    shellTexture = Texture2DManager::getInstance()->load("res/shell.tga");

    // A model that fails to load draws nothing; start-up goes on.
    grassPlane = new OBJModel();
    fence = new OBJModel();
    grassPlane->load("res/grassPlane.obj", false);
    fence->load("res/fence.obj", false);

    setUpFixedOpenGLState();
    prepareKeptFrame();

    // A missing or broken font ends the game with one line saying which
    // file and why, not with an abort.
    const char* fontFile = "res/arialBlack.ttf";
    try {
        font.init(fontFile, 20);
    } catch (const std::exception& e) {
        log(std::string("Unable to load font ") + fontFile + ": " + e.what());
        exit(FONT_FAILURE_STATUS);
    }

    createSceneOrEnd(true);

    Quillmere::setClock(new Quillmere::ClockHighDef());
    water.loadTexture();
    points = 0;
}
