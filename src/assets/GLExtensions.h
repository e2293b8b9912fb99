#pragma once

// The OpenGL extension flags the asset code reads, as GLEW holds them. The
// game never initialises GLEW, so they read false there and the fallback
// paths run; they are read at every use so that a later initialisation
// takes effect.
class GLExtensions {
public:
    // EXT_bgra: decoders may keep blue-first channel order.
    static bool bgra();
    // SGIS_generate_mipmap: the driver builds the smaller levels.
    static bool generateMipmap();
    // EXT_texture_compression_s3tc together with ARB_texture_compression.
    static bool textureCompression();
};
