#include "assets/MD2Model.h"

#include "assets/MD2Normals.h"
#include "assets/Texture2DManager.h"

#include <SDL_opengl.h>

MD2Model::MD2Model(const std::string& fileName) : data(fileName), animation(frameNames(data)) {}

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
    const std::vector<MD2Frame>& frames = data.getFrames();
    int last = static_cast<int>(frames.size()) - 1;
    if (frameA < 0 || frameA > last || frameB < 0 || frameB > last) {
        return;
    }
    if (currentSkin) {
        currentSkin->bind();
    }
    const MD2Frame& a = frames[frameA];
    const MD2Frame& b = frames[frameB];
    const MD2Header& h = data.getHeader();
    float width = static_cast<float>(h.skinWidth);
    float height = static_cast<float>(h.skinHeight);

    // Loading checked every index below against its array.
    glBegin(GL_TRIANGLES);
    for (const MD2Triangle& tri : data.getTriangles()) {
        for (int k = 0; k < 3; ++k) {
            const MD2TexCoord& tc = data.getTexCoords()[tri.texCoordIndex[k]];
            glTexCoord2f(tc.s / width, 1.0f - tc.t / height);

            const MD2FrameVertex& va = a.vertices[tri.vertexIndex[k]];
            const MD2FrameVertex& vb = b.vertices[tri.vertexIndex[k]];
            const float* na = md2Normals[va.normalIndex];
            const float* nb = md2Normals[vb.normalIndex];
            GLfloat normal[3];
            GLfloat position[3];
            const float scaleA[3] = {a.scale.x, a.scale.y, a.scale.z};
            const float scaleB[3] = {b.scale.x, b.scale.y, b.scale.z};
            const float moveA[3] = {a.translate.x, a.translate.y, a.translate.z};
            const float moveB[3] = {b.translate.x, b.translate.y, b.translate.z};
            for (int c = 0; c < 3; ++c) {
                normal[c] = na[c] + t * (nb[c] - na[c]);
                float pa = va.v[c] * scaleA[c] + moveA[c];
                float pb = vb.v[c] * scaleB[c] + moveB[c];
                position[c] = pa + t * (pb - pa);
            }
            glNormal3fv(normal);
            glVertex3fv(position);
        }
    }
    glEnd();
}
