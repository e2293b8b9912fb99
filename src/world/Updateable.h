#pragma once

// Something that advances by a frame time.
class Updateable {
public:
    virtual void update(float dt) = 0;

protected:
    ~Updateable() = default;
};
