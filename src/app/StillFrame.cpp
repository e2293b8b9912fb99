#include "app/StillFrame.h"

#include "text_sound/Font.h"

#include <SDL_opengl.h>

namespace {

const int WIDTH = 1024;
const int HEIGHT = 768;

// The frame is kept in a texture, made once and used for every pause and
// round: drawn back as a quad it costs the driver nothing new each frame,
// where drawing pixels from memory made it hold on to a copy of the frame
// every time. The texture is square, a power of two, with the frame in its
// bottom left corner.
const int KEPT_SIDE = 1024;
GLuint keptTexture = 0;
bool frameKept = false;

} // namespace

void prepareKeptFrame() {
    if (keptTexture != 0) {
        return;
    }
    glPushAttrib(GL_TEXTURE_BIT);
    glGenTextures(1, &keptTexture);
    glBindTexture(GL_TEXTURE_2D, keptTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, KEPT_SIDE, KEPT_SIDE, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 nullptr);
    glPopAttrib();
}

void keepFrame() {
    prepareKeptFrame();
    glPushAttrib(GL_TEXTURE_BIT);
    glBindTexture(GL_TEXTURE_2D, keptTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, WIDTH, HEIGHT);
    glPopAttrib();
    frameKept = true;
}

void drawKeptFrame() {
    if (!frameKept) {
        return;
    }
    useWindowPixels();
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, keptTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const float s = static_cast<float>(WIDTH) / KEPT_SIDE;
    const float t = static_cast<float>(HEIGHT) / KEPT_SIDE;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(0, 0);
    glTexCoord2f(s, 0.0f);
    glVertex2i(WIDTH, 0);
    glTexCoord2f(s, t);
    glVertex2i(WIDTH, HEIGHT);
    glTexCoord2f(0.0f, t);
    glVertex2i(0, HEIGHT);
    glEnd();
    glPopAttrib();
}

void forgetKeptFrame() {
    frameKept = false;
}

void drawMessageBand() {
    useWindowPixels();
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 0.7f);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 300.0f);
    glVertex2f(WIDTH, 300.0f);
    glVertex2f(WIDTH, 470.0f);
    glVertex2f(0.0f, 470.0f);
    glEnd();
    glPopAttrib();
}
