#include "assets/Texture.h"

#include "assets/GLExtensions.h"

#include <GL/glu.h>

#include <iostream>
#include <stdexcept>

namespace {

const GLint compressedLuminance = 0x84EA;
const GLint compressedLuminanceAlpha = 0x84EB;
const GLint compressedRgb = 0x84ED;
const GLint compressedRgba = 0x84EE;

} // namespace

void Texture::reportGLError(GLenum error, const char* where) {
    const GLubyte* text = gluErrorString(error);
    std::cerr << "OpenGL Error: ";
    if (text != nullptr) {
        std::cerr << reinterpret_cast<const char*>(text);
    } else {
        std::cerr << "0x" << std::hex << error << std::dec;
    }
    std::cerr << " [" << where << "]" << std::endl;
}

Texture::Texture() : name(), textureId(0), flags(0), failedFlag(true) {
    // Whoever left an error behind, it is not ours: say so before it is
    // mistaken for one of our uploads.
    GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        reportGLError(error, "Texture::Texture");
    }
}

Texture::~Texture() {
    if (glIsTexture(textureId)) {
        glDeleteTextures(1, &textureId);
    }
}

void Texture::bind() {
    glBindTexture(getTarget(), textureId);
}

GLint Texture::getCompressionFormat(int components) const {
    if (!GLExtensions::textureCompression()) {
        return components;
    }
    switch (components) {
    case 1:
        return compressedLuminance;
    case 2:
        return compressedLuminanceAlpha;
    case 3:
        return compressedRgb;
    case 4:
        return compressedRgba;
    default:
        throw std::invalid_argument("Texture::getCompressionFormat: Bad internal format");
    }
}

GLint Texture::getInternalFormat(int components) const {
    return (flags & 1) != 0 ? getCompressionFormat(components) : components;
}
