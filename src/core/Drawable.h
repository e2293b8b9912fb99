#pragma once

class Camera;

// Something that can draw itself in the frame seen by camera.
class Drawable {
public:
    virtual void draw(Camera* camera) = 0;

protected:
    ~Drawable() = default;
};
