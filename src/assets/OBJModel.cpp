#include "assets/OBJModel.h"

#include "assets/Texture2DManager.h"

#include <SDL_opengl.h>

void OBJModel::draw() {
    const GLsizei stride = sizeof(Vertex);
    const std::vector<Vertex>& vertices = data.getVertexBuffer();
    const int32_t* indices = data.getIndexBuffer().data();
    for (const Mesh& mesh : data.getMeshes()) {
        const Material& m = *mesh.material;
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m.specular);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.shininess * 128.0f);

        // Asked on every draw: the cache answers from its map once loaded.
        // A material without a colour map keeps whatever is bound rather
        // than asking for the folder itself.
        if (!m.colorMapFileName.empty() && missingColorMaps.count(m.colorMapFileName) == 0) {
            Texture2D* texture = Texture2DManager::getInstance()->load("res/" + m.colorMapFileName);
            if (texture) {
                texture->bind();
            } else {
                missingColorMaps.insert(m.colorMapFileName);
            }
        }

        if (data.getHasPositions()) {
            glEnableClientState(GL_VERTEX_ARRAY);
            glVertexPointer(3, GL_FLOAT, stride, vertices[0].position);
        }
        if (data.getHasTextureCoords()) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, stride, vertices[0].texCoord);
        }
        if (data.getHasNormals()) {
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, stride, vertices[0].normal);
        }
        glDrawElements(GL_TRIANGLES, 3 * mesh.triangleCount, GL_UNSIGNED_INT,
                       indices + mesh.startIndex);
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
