#include "app/Renderer.h"

#include "app/Globals.h"
#include "app/Hud.h"
#include "assets/OBJModel.h"
#include "core/Camera.h"
#include "physics/ParticleSystem.h"
#include "world/Character.h"
#include "world/ObjectList.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <GL/glu.h>

void drawScene() {
    glPushMatrix();
    grassPlane->draw();
    glPopMatrix();

    drawFenceRing(*fence);

    camera->setCulling(viewCulling);
    Singleton<ObjectList>::getInstance()->draw(camera);
    water.draw();
}

void drawFenceRing(OBJModel& segment) {
    // Row by row, each at its fixed coordinate.
    struct FenceRow {
        float x, z;  // the row's fixed coordinate, the other one is zero
        bool alongX; // segments step along x (and are turned) or along z
    };
    const FenceRow rows[] = {
        {400.0f, 0.0f, false}, {0.0f, 400.0f, true}, {-400.0f, 0.0f, false}, {0.0f, -400.0f, true}};
    const float spacing = 123.0f;
    for (const FenceRow& row : rows) {
        for (int k = -2; k <= 4; ++k) {
            glPushMatrix();
            if (row.alongX) {
                glTranslatef(spacing * k, 0.0f, row.z);
                glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
            } else {
                glTranslatef(row.x, 0.0f, spacing * k);
            }
            segment.draw();
            glPopMatrix();
        }
    }
}

void renderFrame() {
    drawFrame();
    SDL_GL_SwapBuffers();
}

void drawFrame() {
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    // These act on whichever texture the previous frame bound last.
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                    magFilterNearest ? GL_NEAREST : GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    minFilterNearest ? GL_NEAREST : GL_LINEAR_MIPMAP_LINEAR);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, 1024, 768);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);

    useGamePerspective();

    // Without a camera (scene creation failed) only the empty frame is shown.
    if (camera != nullptr) {
        Vector3 position = camera->getEyePosition();
        glRotatef(camera->getPitch(), 1.0f, 0.0f, 0.0f);
        glRotatef(camera->getYaw(), 0.0f, 1.0f, 0.0f);
        glTranslatef(-position.x, -position.y, -position.z);
        glEnable(GL_DEPTH_TEST);
        drawScene();
    }

    // After the water, so that the spray shows over it.
    Singleton<Quillmere::Physics::ParticleSystem>::getInstance()->draw();

    drawPlayerHud();
}

void useGamePerspective() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1024.0 / 768.0, 0.1, 600.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void drawPlayerHud() {
    // Without a figure (scene creation failed) there is nothing to report.
    if (player == nullptr) {
        return;
    }
    drawHud(player->getWeaponName(), player->getRounds(), player->getClips(), player->getHealth(),
            player->getMaxHealth());
}
