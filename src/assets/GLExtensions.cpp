#include "assets/GLExtensions.h"

// GLEW must not meet SDL's OpenGL header in one file, so its flags are read
// here and nowhere else.
#include <GL/glew.h>

bool GLExtensions::bgra() {
    return GLEW_EXT_bgra != GL_FALSE;
}

bool GLExtensions::generateMipmap() {
    return GLEW_SGIS_generate_mipmap != GL_FALSE;
}

bool GLExtensions::textureCompression() {
    return GLEW_EXT_texture_compression_s3tc != GL_FALSE &&
           GLEW_ARB_texture_compression != GL_FALSE;
}
