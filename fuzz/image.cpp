// Feeds arbitrary bytes to the TGA and PCX decoders, with each channel
// order, at each vector level the processor has. A decoder may refuse the
// bytes; it must never read or write outside its buffers or allocate more
// than the bytes can back, and every level must give what the portable
// decoder gives: the same picture or the same refusal.

#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"
#include "assets/ImagePCX.h"
#include "assets/ImageTGA.h"
#include "platform/VectorUnits.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

// GLEW's flag for EXT_bgra. Its header cannot share a file with SDL's
// OpenGL header, so the one variable is declared here by hand.
extern "C" GLboolean __GLEW_EXT_bgra;

namespace {

// The processor's own level, which caps nothing.
platform::VectorLevel ownLevel = platform::VectorLevel::portable;

struct Decoding {
    std::string refusal;
    int width = 0, height = 0, components = 0;
    GLenum format = 0;
    // Every pixel byte, copied, so a pixel array shorter than the image
    // claims shows up as an out-of-bounds read.
    std::vector<unsigned char> pixels;

    bool operator==(const Decoding& o) const {
        return refusal == o.refusal && width == o.width && height == o.height &&
               components == o.components && format == o.format && pixels == o.pixels;
    }
};

template <class Decoder> Decoding decode(const ImageBuffer& buffer) {
    Decoding decoding;
    try {
        Decoder image(buffer);
        decoding.width = image.getWidth();
        decoding.height = image.getHeight();
        decoding.components = image.getComponents();
        decoding.format = image.getFormat();
        if (image.getPixels() != nullptr) {
            const size_t size =
                static_cast<size_t>(decoding.width) * decoding.height * decoding.components;
            decoding.pixels.assign(image.getPixels(), image.getPixels() + size);
        }
    } catch (const ImageException& e) {
        decoding.refusal = e.what();
    }
    return decoding;
}

// Decodes at each level, the portable one first, and stops the run where a
// level disagrees with it.
template <class Decoder> void decodeAtEveryLevel(const ImageBuffer& buffer) {
    Decoding portable;
    for (platform::VectorLevel level :
         {platform::VectorLevel::portable, platform::VectorLevel::ssse3,
          platform::VectorLevel::avx512}) {
        if (level > ownLevel) {
            break;
        }
        platform::capVectorLevel(level);
        Decoding decoding = decode<Decoder>(buffer);
        if (level == platform::VectorLevel::portable) {
            portable = decoding;
        } else if (!(decoding == portable)) {
            fprintf(stderr, "%s: vector level %d decodes otherwise than the portable decoder\n",
                    buffer.getFileName().c_str(), static_cast<int>(level));
            abort();
        }
    }
    platform::capVectorLevel(ownLevel);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The PCX palette warning would flood the fuzzer's output.
    std::cerr.setstate(std::ios::failbit);
    ownLevel = platform::vectorLevel();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX) {
        return 0;
    }
    for (GLboolean bgra : {GL_FALSE, GL_TRUE}) {
        __GLEW_EXT_bgra = bgra;
        decodeAtEveryLevel<ImageTGA>(ImageBuffer("fuzz.tga", data, static_cast<int>(size)));
        decodeAtEveryLevel<ImagePCX>(ImageBuffer("fuzz.pcx", data, static_cast<int>(size)));
    }
    __GLEW_EXT_bgra = GL_FALSE;
    return 0;
}
