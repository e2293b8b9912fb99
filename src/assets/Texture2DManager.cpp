#include "assets/Texture2DManager.h"

Texture2DManager* Texture2DManager::instance = nullptr;

Texture2DManager* Texture2DManager::getInstance() {
    if (instance == nullptr) {
        instance = new Texture2DManager();
    }
    return instance;
}

Texture2D* Texture2DManager::load(const std::string& fileName) {
    Texture2D* texture = find(fileName);
    if (texture != nullptr) {
        return texture;
    }
    if (failed.count(fileName) != 0) {
        return nullptr;
    }
    texture = new Texture2D(fileName, 0);
    if (texture->failed()) {
        delete texture;
        failed.insert(fileName);
        return nullptr;
    }
    registerObject(texture->getName(), texture);
    return texture;
}
