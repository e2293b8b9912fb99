#include "assets/Texture2D.h"

#include "assets/GLExtensions.h"
#include "assets/Image.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"
#include "assets/ImagePCX.h"
#include "assets/ImageTGA.h"

#include <GL/glu.h>

#include <iostream>
#include <memory>
#include <stdexcept>

namespace {

void reportFailure(const std::string& fileName, const std::exception& reason) {
    std::cerr << "Error: Couldn't create texture 2D from " << fileName << "\n"
              << "Reason: " << reason.what() << std::endl;
}

} // namespace

Texture2D::Texture2D(const std::string& fileName, int flags) {
    try {
        ImageBuffer buffer(fileName);
        std::unique_ptr<Image> image(loadImage(buffer));
        create(*image, flags);
    } catch (const std::exception& e) {
        reportFailure(fileName, e);
    }
}

Texture2D::Texture2D(const Image& image, int flags) {
    try {
        create(image, flags);
    } catch (const std::exception& e) {
        reportFailure(image.getName(), e);
    }
}

void Texture2D::create(const Image& image, int flags) {
    if (image.getPixels() == nullptr) {
        throw std::runtime_error("Invalid image data");
    }
    name = image.getName();
    this->flags = flags;
    glGenTextures(1, &textureId);
    glBindTexture(getTarget(), textureId);
    const GLint internalFormat = getInternalFormat(image.getComponents());

    // Image rows are packed with no filler; the default unpack alignment of
    // 4 would read past the end of every row whose length is not a multiple
    // of it. The caller's pixel-store state is put back afterwards.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    GLint gluResult = 0;
    if (GLExtensions::generateMipmap() && image.isPowerOfTwo()) {
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1);
        glHint(GL_GENERATE_MIPMAP_HINT_SGIS, GL_NICEST);
        glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, image.getWidth(), image.getHeight(), 0,
                     image.getFormat(), GL_UNSIGNED_BYTE, image.getPixels());
    } else {
        // Also rescales sides that are not powers of two.
        gluResult =
            gluBuild2DMipmaps(GL_TEXTURE_2D, internalFormat, image.getWidth(), image.getHeight(),
                              image.getFormat(), GL_UNSIGNED_BYTE, image.getPixels());
    }
    glPopClientAttrib();

    // GLU reports its own refusals by return value, not through glGetError.
    GLenum error = glGetError();
    if (error == GL_NO_ERROR && gluResult != 0) {
        error = static_cast<GLenum>(gluResult);
    }
    if (error != GL_NO_ERROR) {
        reportGLError(error, "Texture2D::create ()");
        return;
    }
    failedFlag = false;
}

Image* Texture2D::loadImage(const ImageBuffer& buffer) {
    const std::string& fileName = buffer.getFileName();
    std::string::size_type dot = fileName.rfind('.');
    std::string suffix = dot == std::string::npos ? fileName : fileName.substr(dot + 1);
    if (suffix == "tga") {
        return new ImageTGA(buffer);
    }
    if (suffix == "pcx") {
        return new ImagePCX(buffer);
    }
    throw ImageException("Unhandled image file format", fileName);
}
