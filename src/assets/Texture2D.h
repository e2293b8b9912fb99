#pragma once

#include "assets/Texture.h"

#include <string>

class Image;
class ImageBuffer;

// A mipmapped 2D texture. Construction never throws: a texture that could
// not be made answers failed() and has printed why on standard error.
class Texture2D : public Texture {
public:
    Texture2D(const std::string& fileName, int flags);
    Texture2D(const Image& image, int flags);
    virtual ~Texture2D() {}

    GLenum getTarget() const override { return GL_TEXTURE_2D; }
    virtual void create(const Image& image, int flags);

    // A new image decoded from the buffer by its file name's suffix; the
    // caller deletes it.
    static Image* loadImage(const ImageBuffer& buffer);
};
