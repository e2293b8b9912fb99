#pragma once

class Texture2D;

// The animated water beyond one corner of the field: a textured 45 x 45 grid
// whose waves roll by one row every second frame and whose texture drifts.
class Water {
public:
    static const int GRID_SIZE = 45;

    Water();

    // Takes "res/water.tga" from the texture cache.
    void loadTexture();

    // Draws the surface and advances its animation by one frame; always true.
    bool draw();

    const float* getGridPoint(int i, int j) const { return grid[i][j]; }
    float getTextureOffset() const { return textureOffset; }
    Texture2D* getTexture() const { return texture; }

private:
    Texture2D* texture;
    float grid[GRID_SIZE][GRID_SIZE][3];
    int frameCounter;
    float textureOffset;
};
