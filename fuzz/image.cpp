// Feeds arbitrary bytes to the TGA and PCX decoders, with each channel
// order. A decoder may refuse the bytes; it must never read or write
// outside its buffers or allocate more than the bytes can back.

#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"
#include "assets/ImagePCX.h"
#include "assets/ImageTGA.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <iostream>

// GLEW's flag for EXT_bgra. Its header cannot share a file with SDL's
// OpenGL header, so the one variable is declared here by hand.
extern "C" GLboolean __GLEW_EXT_bgra;

namespace {

// Reads every pixel byte, so a pixel array shorter than the image claims
// shows up as an out-of-bounds read.
unsigned sumOf(const Image& image) {
    size_t size = static_cast<size_t>(image.getWidth()) * image.getHeight() * image.getComponents();
    const unsigned char* pixels = image.getPixels();
    unsigned sum = 0;
    for (size_t i = 0; pixels != nullptr && i < size; ++i) {
        sum += pixels[i];
    }
    return sum;
}

template <class Decoder> unsigned decode(const ImageBuffer& buffer) {
    try {
        Decoder image(buffer);
        return sumOf(image);
    } catch (const ImageException&) {
        return 0;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The PCX palette warning would flood the fuzzer's output.
    std::cerr.setstate(std::ios::failbit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX) {
        return 0;
    }
    volatile unsigned sink = 0;
    for (GLboolean bgra : {GL_FALSE, GL_TRUE}) {
        __GLEW_EXT_bgra = bgra;
        sink = sink + decode<ImageTGA>(ImageBuffer("fuzz.tga", data, static_cast<int>(size)));
        sink = sink + decode<ImagePCX>(ImageBuffer("fuzz.pcx", data, static_cast<int>(size)));
    }
    __GLEW_EXT_bgra = GL_FALSE;
    return 0;
}
