#include "assets/MD2Model.h"

#include "assets/MD2ModelCache.h"
#include "assets/Texture2DManager.h"

#include <SDL_opengl.h>

MD2Model::MD2Model(const std::string& fileName)
    : data(MD2ModelCache::load(fileName)), animation(frameNames(*data)) {}

std::vector<std::string> MD2Model::frameNames(const MD2ModelData& data) {
    std::vector<std::string> names;
    for (size_t i = 0; i < data.getFrames().size(); ++i) {
        names.push_back(data.frameName(i));
    }
    return names;
}

bool MD2Model::loadTexture(const std::string& fileName) {
    Texture2D* texture = Texture2DManager::getInstance()->load(fileName);
    if (!texture) {
        return false;
    }
    skins.insert(std::make_pair(fileName, texture));
    return true;
}

void MD2Model::setTexture(const std::string& fileName) {
    auto it = skins.find(fileName);
    currentSkin = it == skins.end() ? nullptr : it->second;
}

void MD2Model::draw() {
    drawFrames(animation.getCurrentFrame(), animation.getNextFrame(), animation.getInterpolation());
    animation.advance();
}

void MD2Model::drawFrames(int frameA, int frameB, float t) {
    const std::vector<MD2Frame>& frames = data->getFrames();
    int last = static_cast<int>(frames.size()) - 1;
    if (frameA < 0 || frameA > last || frameB < 0 || frameB > last) {
        return;
    }
    if (currentSkin) {
        currentSkin->bind();
    }
    const MD2Frame& a = frames[frameA];
    const MD2Frame& b = frames[frameB];
    const std::vector<uint32_t>& indices = data->getCornerIndices();
    if (indices.empty()) {
        return;
    }
    // Each distinct corner blended once and the triangles drawn by index, in
    // their order: the same triangles the driver would get corner by corner.
    static std::vector<float> blended;
    data->blendCorners(a, b, t, blended);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    data->getCornerPieces().draw(GL_TRIANGLES, [](uint32_t base) {
        glInterleavedArrays(GL_T2F_N3F_V3F, 0, blended.data() + 8 * size_t(base));
    });
    glPopClientAttrib();
    // The last corner's coordinate and normal stay current, as they would
    // after drawing it by hand.
    const float* lastCorner = &blended[8 * size_t(indices.back())];
    glTexCoord2fv(lastCorner);
    glNormal3fv(lastCorner + 2);
}
