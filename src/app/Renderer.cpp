#include "app/Renderer.h"

#include "app/Globals.h"
#include "core/Camera.h"
#include "physics/ParticleSystem.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <GL/glu.h>

void renderFrame() {
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

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1024.0 / 768.0, 0.1, 600.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // Without a camera (no scene yet) the frame stays empty.
    if (camera != nullptr) {
        Vector3 position = camera->getEyePosition();
        glRotatef(camera->getPitch(), 1.0f, 0.0f, 0.0f);
        glRotatef(camera->getYaw(), 0.0f, 1.0f, 0.0f);
        glTranslatef(-position.x, -position.y, -position.z);
    }
    glEnable(GL_DEPTH_TEST);

    // The ground, the fence, the world's objects and the water are drawn here
    // as they join the game.

    // After the water, so that the spray shows over it.
    Singleton<Quillmere::Physics::ParticleSystem>::getInstance()->draw();

    // The heads-up display joins here.

    SDL_GL_SwapBuffers();
}
