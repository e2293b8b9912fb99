#pragma once

#include "physics/Particle.h"
#include "physics/ParticleSystem.h"

#include <SDL_opengl.h>

// Every live particle's unit square drawn by hand, one strip each, in the
// current colour and state: what the system's draw should cover.
inline void drawParticleSquaresByHand() {
    for (const auto* p : Quillmere::Physics::ParticleSystem::getInstance()->getParticles()) {
        const float x = p->position.x, y = p->position.y, z = p->position.z;
        glBegin(GL_TRIANGLE_STRIP);
        glVertex3f(x + 0.5f, y + 0.5f, z);
        glVertex3f(x - 0.5f, y + 0.5f, z);
        glVertex3f(x + 0.5f, y - 0.5f, z);
        glVertex3f(x - 0.5f, y - 0.5f, z);
        glEnd();
    }
}
