#include "support/GLContext.h"
#include "app/Renderer.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <GL/glu.h>

#include <cstdlib>

bool ensureGLContext(std::string* reason) {
    static bool tried = false;
    static bool ok = false;
    static std::string failure;
    if (!tried) {
        tried = true;
        if (SDL_Init(SDL_INIT_VIDEO) < 0) {
            failure = std::string("SDL_Init failed: ") + SDL_GetError();
        } else if (SDL_SetVideoMode(1024, 768, 0, SDL_OPENGL) == nullptr) {
            failure = std::string("SDL_SetVideoMode failed: ") + SDL_GetError();
        } else {
            SDL_WM_SetCaption("morrowfen-tests", nullptr);
            atexit(SDL_Quit);
            ok = true;
        }
    }
    if (!ok && reason != nullptr) {
        *reason = failure;
    }
    return ok;
}

void GLTest::SetUp() {
    std::string reason;
    ASSERT_TRUE(ensureGLContext(&reason))
        << "no OpenGL context (" << reason << "); run the tests under Xvfb with scripts/test.sh";
    while (glGetError() != GL_NO_ERROR) {
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 1024, 768);
}

std::array<unsigned char, 4> GLTest::readPixel(int x, int y) {
    std::array<unsigned char, 4> rgba{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}
