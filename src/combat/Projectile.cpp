#include "combat/Projectile.h"
#include "core/Heading.h"

#include "physics/ParticleEmitter.h"
#include "physics/ParticleSystem.h"
#include "world/Zombie.h"

#include <SDL_opengl.h>

#include <cmath>

Projectile::Projectile(const Vector2& position, float heading, float speed, float lifetime,
                       float damage)
    : MovingObject(position, Vector3(0.1f, 0.1f, 0.1f), 0.0f, "res/weapon"), speed(speed),
      damage(damage), lifetime(lifetime) {
    velocity = headingDirection(heading) * speed;
}

void Projectile::update(float dt) {
    MovingObject::update(dt);
    lifetime -= dt;
    if (lifetime < 0.0f) {
        destroy(0.0f);
    }
}

void Projectile::collide(Object* other) {
    other->collideWithProjectile(this);
}

void Projectile::collideWithZombie(Zombie* zombie) {
    if (isMarkedForDestruction() || zombie->isMarkedForDestruction()) {
        return;
    }
    destroy(0.0f);
    zombie->damage(damage);
    using Quillmere::Physics::ParticleSystem;
    ParticleSystem* system = ParticleSystem::getInstance();
    addSpray(system, position);
    system->setGravity(Quillmere::Vector3f(0.0f, -90.8f, 0.0f));
}

Quillmere::Physics::ParticleEmitter*
Projectile::addSpray(Quillmere::Physics::ParticleSystem* system, const Vector2& at) {
    auto* e = new Quillmere::Physics::ParticleEmitter();
    system->addEmitter(e);
    e->system = system;
    e->burstsPerSecond = 0.25f;
    e->particlesPerBurst = 100.0f;
    e->life.value = 10.0f;
    e->directionX.variance = 0.5f;
    e->directionY.variance = 0.5f;
    // A whole burst pending: the first update sprays at once.
    e->accumulator = 1.0f;
    e->position = Quillmere::Vector3f(at.x, 0.0f, at.y);
    e->speed.value = 60.0f;
    e->speed.variance = 0.5f;
    e->endless = false;
    e->timeToLive = 5.0f;
    return e;
}

void Projectile::draw(Camera* /*camera*/) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glPushMatrix();
    glTranslatef(position.x, 0.0f, position.y);
    glRotatef(-heading, 0.0f, 1.0f, 0.0f);
    // The box's long axis becomes the vertical.
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);

    // The six faces of a 0.2 x 0.2 x 20 box, corners counter-clockwise seen
    // from outside: y = +0.1, y = -0.1, z = +10, z = -10, x = -0.1, x = +0.1.
    constexpr float w = 0.1f, h = 10.0f;
    static const float corners[6][4][3] = {
        {{-w, w, -h}, {-w, w, h}, {w, w, h}, {w, w, -h}},
        {{-w, -w, -h}, {w, -w, -h}, {w, -w, h}, {-w, -w, h}},
        {{-w, -w, h}, {w, -w, h}, {w, w, h}, {-w, w, h}},
        {{-w, -w, -h}, {-w, w, -h}, {w, w, -h}, {w, -w, -h}},
        {{-w, -w, -h}, {-w, -w, h}, {-w, w, h}, {-w, w, -h}},
        {{w, -w, -h}, {w, w, -h}, {w, w, h}, {w, -w, h}},
    };
    glBegin(GL_QUADS);
    glColor3f(1.0f, 1.0f, 0.0f);
    for (const auto& face : corners) {
        for (const auto& corner : face) {
            glVertex3fv(corner);
        }
    }
    glEnd();

    glPopMatrix();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_FOG);
    glEnable(GL_LIGHTING);
}
