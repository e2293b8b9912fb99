// The frame advances the particles twice: once with the world, once in the
// draw that ticks the engine clock.

#include "app/MainLoop.h"
#include "app/Renderer.h"
#include "physics/Particle.h"
#include "physics/ParticlePool.h"
#include "physics/ParticleSystem.h"
#include "support/FakeClock.h"
#include "support/GLContext.h"

#include <SDL_opengl.h>

#include <GL/glu.h>

using Quillmere::Vector3f;
using Quillmere::Physics::Particle;
using Quillmere::Physics::ParticlePool;
using Quillmere::Physics::ParticleSystem;

class FrameParticlesGLTest : public GLTest {};

TEST_F(FrameParticlesGLTest, WorldUpdateAndRenderEachMoveTheParticles) {
    ScopedFakeClock clock;
    ParticleSystem* system = ParticleSystem::getInstance();
    system->setDrag(0.0f);
    Particle* p = ParticlePool::acquire();
    // Straight ahead of the eye, inside the 45-degree view, moving right.
    p->position = Vector3f(0.0f, 0.0f, -20.0f);
    p->velocity = Vector3f(10.0f, 0.0f, 0.0f);
    p->life = 100.0f;
    p->windFactor = p->gravityFactor = p->forceFactor = p->dragFactor = 1.0f;
    system->getParticles().push_back(p);

    clock.clock.delta = 0.25f;    // the last frame's tick
    clock.clock.tickDelta = 0.5f; // this frame's tick
    updateWorld(0.016f);
    EXPECT_FLOAT_EQ(p->position.x, 2.5f) << "the world update uses the clock, not dt";
    renderFrame();
    EXPECT_EQ(clock.clock.ticks, 1);
    EXPECT_FLOAT_EQ(p->position.x, 7.5f);
    EXPECT_FLOAT_EQ(p->life, 99.25f);

    // The frame shows the particle at x = 7.5, 20 units away. Mesa keeps the
    // back buffer across the swap, so the frame can be read from there.
    // The particles are drawn under the frame's perspective and, without a
    // camera, an unmoved view; the display drawn after them replaced both.
    glReadBuffer(GL_BACK);
    double model[16], projection[16];
    GLint viewport[4];
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1024.0 / 768.0, 0.1, 600.0);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetIntegerv(GL_VIEWPORT, viewport);
    double wx = 0, wy = 0, wz = 0;
    ASSERT_TRUE(gluProject(7.5, 0.0, -20.0, model, projection, viewport, &wx, &wy, &wz));
    auto at = readPixel(static_cast<int>(wx), static_cast<int>(wy));
    auto away = readPixel(static_cast<int>(wx) - 40, static_cast<int>(wy));
    EXPECT_GT(at[0], 200);
    EXPECT_LT(at[1], 30);
    EXPECT_EQ(away[0], 0);

    system->getParticles().clear();
    ParticlePool::release(p);
    delete system;
}
