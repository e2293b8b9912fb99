#include "assets/OBJModel.h"

#include "assets/Texture2DManager.h"

#include <SDL_opengl.h>

bool OBJModel::load(const std::string& fileName, bool generateNormals) {
    meshPieces.clear();
    return data.load(fileName, generateNormals);
}

void OBJModel::draw() {
    const GLsizei stride = sizeof(Vertex);
    const std::vector<Vertex>& vertices = data.getVertexBuffer();
    // Cut on the first draw: only drawing needs them.
    if (meshPieces.size() != data.getMeshes().size()) {
        meshPieces.clear();
        const int32_t* indices = data.getIndexBuffer().data();
        for (const Mesh& mesh : data.getMeshes()) {
            meshPieces.emplace_back();
            meshPieces.back().build(indices + mesh.startIndex, 3 * size_t(mesh.triangleCount), 3);
        }
    }
    size_t meshIndex = 0;
    for (const Mesh& mesh : data.getMeshes()) {
        const IndexPieces& pieces = meshPieces[meshIndex++];
        const Material& m = *mesh.material;
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m.specular);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.shininess * 128.0f);

        // Asked on every draw: the cache answers from its map once loaded.
        // A material without a colour map keeps whatever is bound rather
        // than asking for the folder itself.
        if (!m.colorMapFileName.empty()) {
            Texture2D* texture = Texture2DManager::getInstance()->load("res/" + m.colorMapFileName);
            if (texture) {
                texture->bind();
            }
        }

        if (data.getHasPositions()) {
            glEnableClientState(GL_VERTEX_ARRAY);
        }
        if (data.getHasTextureCoords()) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        if (data.getHasNormals()) {
            glEnableClientState(GL_NORMAL_ARRAY);
        }
        pieces.draw(GL_TRIANGLES, [&](uint32_t base) {
            const Vertex& first = vertices[base];
            if (data.getHasPositions()) {
                glVertexPointer(3, GL_FLOAT, stride, first.position);
            }
            if (data.getHasTextureCoords()) {
                glTexCoordPointer(2, GL_FLOAT, stride, first.texCoord);
            }
            if (data.getHasNormals()) {
                glNormalPointer(GL_FLOAT, stride, first.normal);
            }
        });
        if (data.getHasNormals()) {
            glDisableClientState(GL_NORMAL_ARRAY);
        }
        if (data.getHasTextureCoords()) {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        if (data.getHasPositions()) {
            glDisableClientState(GL_VERTEX_ARRAY);
        }
    }
}
