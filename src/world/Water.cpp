#include "world/Water.h"

#include "assets/Texture2D.h"
#include "assets/Texture2DManager.h"

#include <SDL_opengl.h>

#include <cmath>

Water::Water() : texture(nullptr), frameCounter(0), textureOffset(0.01f) {
    for (int i = 0; i < GRID_SIZE; ++i) {
        for (int j = 0; j < GRID_SIZE; ++j) {
            grid[i][j][0] = static_cast<float>(i / 5.0 - 4.5);
            grid[i][j][1] = static_cast<float>(j / 5.0 - 4.5);
            // One wave along i: sin(2i degrees).
            grid[i][j][2] = static_cast<float>(std::sin(i / 5.0 * 10.0 / 360.0 * 3.141592654 * 2));
        }
    }
}

void Water::loadTexture() { texture = Texture2DManager::getInstance()->load("res/water.tga"); }

bool Water::draw() {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_BACK, GL_FILL);
    glPolygonMode(GL_FRONT, GL_FILL);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    if (texture != nullptr) {
        texture->bind();
    } else {
        // No picture: the default texture has no image, so the surface is
        // drawn untextured rather than with whatever was bound last.
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    glPushMatrix();
    glScalef(50.0f, 50.0f, 50.0f);
    glTranslatef(-10.0f, 0.0f, 11.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    const float o = textureOffset;
    const int last = GRID_SIZE - 1;
    glBegin(GL_QUADS);
    for (int i = 0; i < last; ++i) {
        for (int j = 0; j < last; ++j) {
            float a = i / 44.0f + o;
            float b = j / 44.0f + o;
            float c = (i + 1) / 44.0f + o;
            float d = (j + 1) / 44.0f + o;
            glTexCoord2f(a, b);
            glVertex3fv(grid[i][j]);
            glTexCoord2f(a, d);
            glVertex3fv(grid[i][j + 1]);
            glTexCoord2f(c, d);
            glVertex3fv(grid[i + 1][j + 1]);
            glTexCoord2f(c, b);
            glVertex3fv(grid[i + 1][j]);
        }
    }
    glEnd();
    glGetError();
    glPopMatrix();

    // The z profile rolls one row towards i = 0 on every second frame.
    if (frameCounter == 2) {
        for (int j = 0; j < GRID_SIZE; ++j) {
            float first = grid[0][j][2];
            for (int i = 0; i < last; ++i) {
                grid[i][j][2] = grid[i + 1][j][2];
            }
            grid[last][j][2] = first;
        }
        frameCounter = 0;
    }
    frameCounter += 1;
    textureOffset += 0.01f;
    return true;
}
