#pragma once

#include <list>

class Object;

// One collision pass per frame: pushes touching solid objects apart, lets
// each touching pair react to the other, and keeps everything inside the
// world square.
class ObjectCollisionHandler {
public:
    virtual ~ObjectCollisionHandler() {}

    // objects is the caller's list copied, so whatever the reactions add is
    // not visited in this pass.
    void handle(std::list<Object*> objects);
};
