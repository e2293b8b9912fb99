#pragma once

#include <SDL_opengl.h>

#include <string>

// One OpenGL texture object made from one image file.
class Texture {
public:
    Texture();
    virtual ~Texture();
    virtual GLenum getTarget() const = 0;

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    void bind();
    bool failed() const { return failedFlag; }
    const std::string& getName() const { return name; }
    GLuint getTextureId() const { return textureId; }

    GLint getCompressionFormat(int components) const;
    GLint getInternalFormat(int components) const;

protected:
    // One line on standard error: the error's text and where it was seen.
    static void reportGLError(GLenum error, const char* where);

    std::string name;
    GLuint textureId;
    int flags;
    bool failedFlag;
};
