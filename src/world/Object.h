#pragma once

#include "core/Drawable.h"
#include "core/Updateable.h"
#include "core/Vector2.h"
#include "core/Vector3.h"
#include "world/Collider.h"
#include "world/Destroyable.h"

#include <string>

class MD2Model;

// Anything that lives in the world: it draws, updates, collides and can be
// scheduled for removal. It owns its animated model.
class Object : public Drawable, public Updateable, public Collider, public virtual Destroyable {
public:
    // modelName "res/zombie" reads res/zombie.md2 with the skin
    // res/zombie.tga; an empty name builds an object without a model. A model
    // that cannot be read throws out of the constructor.
    Object(const Vector2& position, const Vector3& scale, float heightOffset,
           const std::string& modelName);
    virtual ~Object();

    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void draw(Camera* camera) override;
    virtual const Vector2& getLastPosition();
    void update(float dt) override;

    Vector2& getPosition() { return position; }
    void setPosition(const Vector2& p) { position = p; }
    void move(const Vector2& delta) { position += delta; }
    float getHeading() const { return heading; }
    void setHeading(float degrees) { heading = degrees; }
    MD2Model* getModel() { return model; }

protected:
    Vector2 position;
    float heading;
    Vector3 scale;
    MD2Model* model;
    float heightOffset;
};
