#pragma once

// Anything that advances with the frame time.
class Updateable {
public:
    virtual void update(float dt) = 0;

protected:
    ~Updateable() {}
};
