#include "text_sound/Font.h"

#include FT_GLYPH_H

#include <GL/glu.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

const int CHARACTERS = 128;
// Far above any glyph at a readable size; keeps a broken font from asking
// for a texture the size of the screen many times over.
const unsigned int MAX_GLYPH_SIDE = 1024;

// What FreeType hands out is given back on every way out, thrown or not: a
// font that fails half-way must not leave its library, face or glyphs behind.
struct LibraryHolder {
    FT_Library library = nullptr;
    ~LibraryHolder() {
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
};

struct FaceHolder {
    FT_Face face = nullptr;
    ~FaceHolder() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
    }
};

struct GlyphHolder {
    FT_Glyph glyph = nullptr;
    ~GlyphHolder() {
        if (glyph != nullptr) {
            FT_Done_Glyph(glyph);
        }
    }
};

} // namespace

int nextPowerOfTwo(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) {
        p <<= 1;
    }
    return p;
}

void buildGlyph(FT_Face face, char c, GLuint listBase, GLuint* textures) {
    const unsigned char code = static_cast<unsigned char>(c);
    if (code >= CHARACTERS) {
        throw std::invalid_argument("buildGlyph: character code above 127");
    }
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT) != 0) {
        throw std::runtime_error("FT_Load_Glyph failed");
    }
    GlyphHolder held;
    if (FT_Get_Glyph(face->glyph, &held.glyph) != 0) {
        throw std::runtime_error("FT_Get_Glyph failed");
    }
    // On success the outline glyph is freed and replaced by the bitmap one.
    if (FT_Glyph_To_Bitmap(&held.glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) != 0) {
        throw std::runtime_error("FT_Glyph_To_Bitmap failed");
    }
    FT_BitmapGlyph bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(held.glyph);
    const FT_Bitmap& bitmap = bitmapGlyph->bitmap;
    // A bitmap font hands over its own bitmap unconverted, possibly one bit
    // per pixel; the copy below reads one byte per pixel.
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.pitch < static_cast<int>(bitmap.width)) {
        throw std::runtime_error("FT_Glyph_To_Bitmap failed (not a bitmap of one byte per pixel)");
    }
    if (bitmap.width > MAX_GLYPH_SIDE || bitmap.rows > MAX_GLYPH_SIDE) {
        throw std::runtime_error("FT_Glyph_To_Bitmap failed (glyph larger than 1024 pixels)");
    }

    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    const int w = nextPowerOfTwo(width);
    const int h = nextPowerOfTwo(rows);
    // Coverage as both luminance and alpha, zero in the padding.
    std::vector<GLubyte> bytes(2 * static_cast<size_t>(w) * h, 0);
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < width; ++i) {
            const GLubyte value = bitmap.buffer[i + width * j];
            bytes[2 * (i + j * w)] = value;
            bytes[2 * (i + j * w) + 1] = value;
        }
    }

    glBindTexture(GL_TEXTURE_2D, textures[code]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Level 0 is the whole mipmap chain: the frame's filter switches may give
    // the glyph drawn last a mipmapped filter, which would otherwise leave it
    // incomplete, and every copy of it would draw as a solid block.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    // Rows of a one-texel-wide glyph are two bytes long, not four.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                 bytes.data());
    glPopClientAttrib();

    const float tx = static_cast<float>(width) / w;
    const float ty = static_cast<float>(rows) / h;
    glNewList(listBase + code, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, textures[code]);
    glPushMatrix();
    glTranslatef(static_cast<float>(bitmapGlyph->left), 0.0f, 0.0f);
    glTranslatef(0.0f, static_cast<float>(bitmapGlyph->top - rows), 0.0f);
    // The bitmap's first row is its top.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, static_cast<float>(rows));
    glTexCoord2f(0.0f, ty);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(tx, ty);
    glVertex2f(static_cast<float>(width), 0.0f);
    glTexCoord2f(tx, 0.0f);
    glVertex2f(static_cast<float>(width), static_cast<float>(rows));
    glEnd();
    glPopMatrix();
    // Left in the matrix, so that the next character of the run follows.
    glTranslatef(static_cast<float>(face->glyph->advance.x >> 6), 0.0f, 0.0f);
    glEndList();
}

void Font::init(const char* fileName, unsigned int height) {
    textures = new GLuint[CHARACTERS];
    this->height = static_cast<float>(height);

    LibraryHolder library;
    if (FT_Init_FreeType(&library.library) != 0) {
        throw std::runtime_error("FT_Init_FreeType failed");
    }
    FaceHolder held;
    if (FT_New_Face(library.library, fileName, 0, &held.face) != 0) {
        throw std::runtime_error(
            "FT_New_Face failed (there is probably a problem with your font file)");
    }
    const FT_F26Dot6 size = static_cast<FT_F26Dot6>(height) * 64;
    FT_Face face = held.face;
    FT_Set_Char_Size(face, size, size, 96, 96);

    listBase = glGenLists(CHARACTERS);
    glGenTextures(CHARACTERS, textures);
    for (int c = 0; c < CHARACTERS; ++c) {
        buildGlyph(face, static_cast<char>(c), listBase, textures);
    }

    // Everything is in textures and lists now; the file is not needed again.
    // The holders give back the face, then the library that made it.
}

void beginScreenProjection() {
    glPushAttrib(GL_TRANSFORM_BIT);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    loadPixelProjection(viewport[0], viewport[1], viewport[2], viewport[3]);
    glPopAttrib();
}

void loadPixelProjection(GLint left, GLint bottom, GLint right, GLint top) {
    glLoadIdentity();
    gluOrtho2D(left, right, bottom, top);
}

void useWindowPixels() {
    glMatrixMode(GL_PROJECTION);
    loadPixelProjection(0, 0, 1024, 768);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void endScreenProjection() {
    glPushAttrib(GL_TRANSFORM_BIT);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void print(const Font& font, float x, float y, const char* format, ...) {
    beginScreenProjection();
    const float lineHeight = font.height / 0.63f;

    // Longer texts are cut, never written past the buffer.
    char text[256] = "";
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        if (vsnprintf(text, sizeof text, format, args) < 0) {
            text[0] = '\0';
        }
        va_end(args);
    }

    glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glListBase(font.listBase);
    GLfloat modelview_matrix[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview_matrix);

    // The part after the last '\n', empty or not, is a line of its own.
    const char* line = text;
    for (int i = 0;; ++i) {
        const char* end = std::strchr(line, '\n');
        const size_t length = end != nullptr ? static_cast<size_t>(end - line) : std::strlen(line);
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(x, y - lineHeight * i, 0.0f);
        glMultMatrixf(modelview_matrix);
        glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, line);
        glPopMatrix();
        if (end == nullptr) {
            break;
        }
        line = end + 1;
    }

    glPopAttrib();
    endScreenProjection();
}
