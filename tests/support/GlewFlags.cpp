#include "support/GlewFlags.h"

#include <GL/glew.h>

namespace {

GLboolean* flagVariable(ScopedGlewFlag::Flag flag) {
    switch (flag) {
    case ScopedGlewFlag::Bgra:
        return &__GLEW_EXT_bgra;
    case ScopedGlewFlag::GenerateMipmap:
        return &__GLEW_SGIS_generate_mipmap;
    case ScopedGlewFlag::S3tcCompression:
        return &__GLEW_EXT_texture_compression_s3tc;
    case ScopedGlewFlag::ArbCompression:
        return &__GLEW_ARB_texture_compression;
    }
    return nullptr;
}

} // namespace

ScopedGlewFlag::ScopedGlewFlag(Flag flag, bool value)
    : variable(flagVariable(flag)), saved(*variable) {
    *variable = value ? GL_TRUE : GL_FALSE;
}

ScopedGlewFlag::~ScopedGlewFlag() {
    *variable = saved;
}
