#pragma once

#include "world/Object.h"

// The banana tree in the middle of the field: solid, never moves.
class Tree : public Object {
public:
    explicit Tree(const Vector2& position);

    void collide(Object* /*other*/) override {}
};
