#pragma once

#include <SDL_opengl.h>
#include <ft2build.h>
#include FT_FREETYPE_H

// One TrueType font rasterised once, characters 0-127, each into a texture
// of its own and a display list that draws it and moves the pen on.
struct Font {
    // Nominal size in points at 96 dpi.
    float height = 0.0f;
    // 128 texture names, entry c for character c.
    GLuint* textures = nullptr;
    // List listBase + c draws character c.
    GLuint listBase = 0;

    // Loads the font file and builds the 128 glyphs; needs a current OpenGL
    // context. Throws std::runtime_error naming the FreeType step that
    // failed, and leaves what it made so far behind.
    void init(const char* fileName, unsigned int height);
};

// Formats like printf (cut at 255 characters) and draws the text in the
// current colour, the first line's baseline starting at (x, y) in window
// pixels from the bottom left; '\n' starts a line one line height lower.
// Leaves the blend function at source alpha over its inverse.
void print(const Font& font, float x, float y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// The smallest power of two at or above n; 1 for n <= 1. n is at most 2^30.
int nextPowerOfTwo(int n);

// Makes character c's texture and display list from the face at its current
// size.
void buildGlyph(FT_Face face, char c, GLuint listBase, GLuint* textures);

// A projection of window pixels over the viewport, pushed on the projection
// stack; endScreenProjection pops it. Neither changes the matrix mode.
void beginScreenProjection();
void endScreenProjection();

// Loads a projection of window pixels into the current matrix, from
// (left, bottom) to (right, top).
void loadPixelProjection(GLint left, GLint bottom, GLint right, GLint top);

// The whole 1024 x 768 window in pixels for the projection, with an identity
// model-view; leaves the matrix mode at model-view. What the display and the
// messages over a still frame draw under.
void useWindowPixels();
