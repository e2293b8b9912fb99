#include "world/Object.h"

#include "assets/MD2Model.h"

#include <SDL_opengl.h>

#include <memory>
#include <stdexcept>

Object::Object(const Vector2& position, const Vector3& scale, float heightOffset,
               const std::string& modelName)
    : position(position), heading(0.0f), scale(scale), model(nullptr), heightOffset(heightOffset) {
    if (modelName.empty()) {
        return;
    }
    const std::string modelFile = modelName + ".md2";
    std::unique_ptr<MD2Model> loaded;
    try {
        loaded.reset(new MD2Model(modelFile));
    } catch (const std::runtime_error& e) {
        // The loader's reason alone does not say which of the figures' files
        // is at fault.
        throw std::runtime_error(modelFile + ": " + e.what());
    }
    const std::string skinFile = modelName + ".tga";
    loaded->loadTexture(skinFile);
    loaded->setTexture(skinFile);
    model = loaded.release();
}

Object::~Object() {
    delete model;
}

void Object::draw(Camera* /*camera*/) {
    glEnable(GL_DEPTH_TEST);
    glPushMatrix();
    glTranslatef(position.x, 0.0f, position.y);
    glRotatef(-heading, 0.0f, 1.0f, 0.0f);
    glTranslatef(0.0f, heightOffset, 0.0f);
    // Models stand on their third axis; turn it to the world's vertical.
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glScalef(scale.x, scale.y, scale.z);
    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_LIGHTING);
    if (model != nullptr) {
        model->draw();
    }
    glPopMatrix();
    glDisable(GL_DEPTH_TEST);
}

const Vector2& Object::getLastPosition() {
    return position;
}

void Object::update(float dt) {
    Destroyable::update(dt);
    if (model != nullptr) {
        // Five keyframes a second.
        model->update(dt * 5.0f);
    }
}
