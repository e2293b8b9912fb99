#include "world/Water.h"

#include "assets/IndexPieces.h"
#include "assets/Texture2D.h"
#include "assets/Texture2DManager.h"

#include <SDL_opengl.h>

#include <cmath>
#include <vector>

namespace {

// Each quad of the grid, corner (i, j), (i, j + 1), (i + 1, j + 1), (i + 1, j),
// with i the outer loop, as indices into the grid's points row by row.
IndexPieces quadPieces() {
    const int size = Water::GRID_SIZE;
    std::vector<uint32_t> indices;
    indices.reserve(4 * (size - 1) * (size - 1));
    for (int i = 0; i + 1 < size; ++i) {
        for (int j = 0; j + 1 < size; ++j) {
            for (int corner :
                 {i * size + j, i * size + j + 1, (i + 1) * size + j + 1, (i + 1) * size + j}) {
                indices.push_back(static_cast<uint32_t>(corner));
            }
        }
    }
    IndexPieces pieces;
    pieces.build(indices.data(), indices.size(), 4);
    return pieces;
}

} // namespace

Water::Water() : texture(nullptr), frameCounter(0), textureOffset(0.01f) {
    for (int i = 0; i < GRID_SIZE; ++i) {
        for (int j = 0; j < GRID_SIZE; ++j) {
            grid[i][j][0] = static_cast<float>(i / 5.0 - 4.5);
            grid[i][j][1] = static_cast<float>(j / 5.0 - 4.5);
            // One wave along i: sin(2i degrees).
            grid[i][j][2] = static_cast<float>(std::sin(i / 5.0 * 10.0 / 360.0 * 3.141592654 * 2));
        }
    }
}

void Water::loadTexture() {
    texture = Texture2DManager::getInstance()->load("res/water.tga");
}

bool Water::draw() {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_BACK, GL_FILL);
    glPolygonMode(GL_FRONT, GL_FILL);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    if (texture != nullptr) {
        texture->bind();
    } else {
        // No picture: the default texture has no image, so the surface is
        // drawn untextured rather than with whatever was bound last.
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    glPushMatrix();
    glScalef(50.0f, 50.0f, 50.0f);
    glTranslatef(-10.0f, 0.0f, 11.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    // Every quad's corner takes its coordinate from its grid point alone, so
    // each point is written once and the quads are drawn by index, in the
    // order they would be sent one corner at a time.
    const float o = textureOffset;
    const int last = GRID_SIZE - 1;
    static GLfloat corners[GRID_SIZE * GRID_SIZE * 5];
    for (int i = 0; i < GRID_SIZE; ++i) {
        for (int j = 0; j < GRID_SIZE; ++j) {
            GLfloat* corner = corners + 5 * (i * GRID_SIZE + j);
            corner[0] = i / 44.0f + o;
            corner[1] = j / 44.0f + o;
            corner[2] = grid[i][j][0];
            corner[3] = grid[i][j][1];
            corner[4] = grid[i][j][2];
        }
    }
    static const IndexPieces quads = quadPieces();
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    quads.draw(GL_QUADS, [](uint32_t base) {
        glInterleavedArrays(GL_T2F_V3F, 0, corners + 5 * size_t(base));
    });
    glPopClientAttrib();
    // The last quad's last corner leaves its coordinate current.
    glTexCoord2fv(corners + 5 * (last * GRID_SIZE + last - 1));
    glGetError();
    glPopMatrix();

    // The z profile rolls one row towards i = 0 on every second frame.
    if (frameCounter == 2) {
        for (int j = 0; j < GRID_SIZE; ++j) {
            float first = grid[0][j][2];
            for (int i = 0; i < last; ++i) {
                grid[i][j][2] = grid[i + 1][j][2];
            }
            grid[last][j][2] = first;
        }
        frameCounter = 0;
    }
    frameCounter += 1;
    textureOffset += 0.01f;
    return true;
}
