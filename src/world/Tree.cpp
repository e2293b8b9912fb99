#include "world/Tree.h"

Tree::Tree(const Vector2& position)
    : Object(position, Vector3(1.0f, 1.0f, 1.3f), 0.0f, "res/banana") {}
