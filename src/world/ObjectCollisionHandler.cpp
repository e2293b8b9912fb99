#include "world/ObjectCollisionHandler.h"

#include "world/Object.h"

#include <cmath>

namespace {

const float WORLD_HALF_SIZE = 400.0f;

void separate(Object* a, Object* b) {
    float ra = a->getRadius();
    float rb = b->getRadius();
    // Half the distance between the two mid-move points, from b towards a.
    Vector2 d =
        ((a->getPosition() + a->getLastPosition()) - (b->getPosition() + b->getLastPosition())) *
        0.25f;
    float length = std::sqrt(d.x * d.x + d.y * d.y);
    float overlap = (ra + rb) - length;
    if (!(overlap > 0.0f)) {
        return;
    }
    // Coinciding centres give no direction to push along; such a pair still
    // reacts below.
    if (a->isSolid() && b->isSolid() && length > 0.0f) {
        Vector2 n(d.x / length, d.y / length);
        bool aMoves = a->isMovable();
        bool bMoves = b->isMovable();
        if (aMoves && bMoves) {
            a->move(n * (overlap / 2.0f));
            b->move(-n * (overlap / 2.0f));
        } else if (aMoves) {
            a->move(n * overlap);
        } else if (bMoves) {
            b->move(-n * overlap);
        }
    }
    a->collide(b);
    b->collide(a);
}

void keepInside(Object* o) {
    float r = o->getRadius();
    if (WORLD_HALF_SIZE < o->getPosition().x + r) {
        o->setPosition(Vector2(WORLD_HALF_SIZE - r, o->getPosition().y));
    }
    if (-WORLD_HALF_SIZE > o->getPosition().x - r) {
        o->setPosition(Vector2(-WORLD_HALF_SIZE + r, o->getPosition().y));
    }
    if (WORLD_HALF_SIZE < o->getPosition().y + r) {
        o->setPosition(Vector2(o->getPosition().x, WORLD_HALF_SIZE - r));
    }
    if (-WORLD_HALF_SIZE > o->getPosition().y - r) {
        o->setPosition(Vector2(o->getPosition().x, -WORLD_HALF_SIZE + r));
    }
}

} // namespace

void ObjectCollisionHandler::handle(std::list<Object*> objects) {
    for (auto a = objects.begin(); a != objects.end(); ++a) {
        for (auto b = std::next(a); b != objects.end(); ++b) {
            separate(*a, *b);
        }
    }
    for (Object* o : objects) {
        keepInside(o);
    }
}
