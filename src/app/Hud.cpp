#include "app/Hud.h"

#include "app/Globals.h"
#include "assets/Texture2D.h"
#include "text_sound/Font.h"

#include <SDL_opengl.h>

#include <GL/glu.h>

#include <algorithm>

namespace {

// One shell per round, each overlapping its neighbour by 21 pixels.
const float SHELL_STEP = 33.0f;
const float SHELL_WIDTH = 54.0f;
const float SHELL_HEIGHT = 70.0f;

} // namespace

void drawWeaponInfo(int rounds, int clips, const std::string& weaponName) {
    // The scene's projection is done with for this frame; it is not kept.
    useWindowPixels();

    glColor3f(1.0f, 0.0f, 0.0f);
    print(font, 10, 100, "%s", weaponName.c_str());
    print(font, 10, 80, "x %d", clips);

    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_ALPHA_TEST);
    glDisable(GL_LIGHTING);
    glAlphaFunc(GL_GREATER, 0.9f);
    // Without its picture a shell is a plain white block, not whatever
    // texture happens to be bound.
    if (shellTexture != nullptr) {
        shellTexture->bind();
    } else {
        glDisable(GL_TEXTURE_2D);
    }

    glBegin(GL_QUADS);
    for (int i = 0; i < rounds; ++i) {
        const float left = SHELL_STEP * i;
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(left, 0.0f, 0.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(left + SHELL_WIDTH, 0.0f, 0.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(left + SHELL_WIDTH, SHELL_HEIGHT, 0.0f);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(left, SHELL_HEIGHT, 0.0f);
    }
    glEnd();

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
}

void drawHealth(float health, float maxHealth) {
    glColor3f(1.0f, 0.0f, 0.0f);
    // Blows can take more than is left; the display reads 0 then, not below.
    print(font, 750, 740, "Health: %.0f / %.0f", std::max(health, 0.0f), maxHealth);
}

void drawPoints() {
    glColor3f(1.0f, 0.0f, 0.0f);
    print(font, 20, 740, "Points: %d", points);
}

void drawFps(float fps) {
    glColor3f(1.0f, 0.0f, 0.0f);
    print(font, 20, 700, "FPS: %f", fps);
}

void drawHud(const std::string& weaponName, int rounds, int clips, float health, float maxHealth) {
    drawWeaponInfo(rounds, clips, weaponName);
    drawHealth(health, maxHealth);
    drawPoints();
    if (showFps) {
        drawFps(fps);
    }
}
