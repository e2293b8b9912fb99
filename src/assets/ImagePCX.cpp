#include "assets/ImagePCX.h"

#include "assets/GLExtensions.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"
#include "assets/ImagePCXAvx512.h"
#include "assets/ImagePCXSsse3.h"
#include "assets/PCXPicture.h"
#include "assets/PCXRunDecoder.h"
#include "platform/VectorUnits.h"

#include <cstring>
#include <iostream>
#include <vector>

namespace {

const int headerSize = 128;
const int paletteSize = 768;
const int paletteMarker = 12;

// Where channels R,G,B land in the output pixel.
const int keepRgb[3] = {0, 1, 2};
const int swapToBgr[3] = {2, 1, 0};

int readUnsigned16(const unsigned char* p) {
    return p[0] | p[1] << 8;
}

// Decoded bytes stored as they are: planes and bit lines.
struct ByteSink {
    static const size_t unit = 1;
    void run(unsigned char* out, unsigned value, size_t count) const { memset(out, value, count); }
};

// Decoded bytes stored as the 3-byte colour of the palette entry they index.
struct PaletteSink {
    static const size_t unit = 3;
    const unsigned char* palette;
    void run(unsigned char* out, unsigned value, size_t count) const {
        for (; count > 0; --count, out += 3) {
            memcpy(out, palette + value * 3, 3);
        }
    }
};

// A palette of R,G,B entries turned into output pixel order once.
std::vector<unsigned char> orderPalette(const unsigned char* entries, int count, const int* order) {
    std::vector<unsigned char> palette(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            palette[i * 3 + order[c]] = entries[i * 3 + c];
        }
    }
    return palette;
}

// The portable decoder: one token at a time.
void decodePortable(const PCXPicture& picture) {
    PCXRunDecoder decoder(picture.data, picture.dataEnd, picture.fileName);
    if (picture.bitsPerPlane == 1) {
        picture.decodeBitPlaneRows(decoder, ByteSink());
    } else if (picture.planes == 1) {
        picture.decodeIndexRows(decoder, PaletteSink{picture.palette});
    } else {
        auto interleave = [](const unsigned char* const planes[3], unsigned char* out, int width,
                             const int* order) {
            PCXPicture::interleaveFrom(planes, out, 0, width, order);
        };
        picture.decodePlaneRows(decoder, ByteSink(), interleave);
    }
}

} // namespace

void PCXPicture::expandBitPlanes(const unsigned char* line, unsigned char* out) const {
    for (int x = 0; x < width; ++x, out += 3) {
        const int bit = 7 - (x & 7);
        int index = 0;
        for (int plane = 0; plane < planes; ++plane) {
            index |= ((line[plane * bytesPerLine + (x >> 3)] >> bit) & 1) << plane;
        }
        memcpy(out, palette + index * 3, 3);
    }
}

ImagePCX::ImagePCX(const ImageBuffer& buffer) : Image(buffer.getFileName()) {
    const std::string& fileName = buffer.getFileName();
    const unsigned char* data = buffer.getData();
    const size_t length = buffer.getLength();
    const unsigned char* header = headerOf(buffer, headerSize);
    if (header[0] != 10) {
        throw ImageException("Bad version number", fileName);
    }
    const int bitsPerPlane = header[3];
    const int planes = header[65];
    const int bitCount = bitsPerPlane * planes;
    // Bit counts that come from other arrangements of planes are refused too.
    if (!(bitsPerPlane == 1 && (planes == 1 || planes == 4)) &&
        !(bitsPerPlane == 8 && (planes == 1 || planes == 3))) {
        throw ImageException("Unhandled PCX format (bad bitcount)", fileName);
    }
    width = readUnsigned16(header + 8) - readUnsigned16(header + 4) + 1;
    height = readUnsigned16(header + 10) - readUnsigned16(header + 6) + 1;
    if (width <= 0 || height <= 0) {
        throw ImageException("Bad image dimensions", fileName);
    }
    const size_t bytesPerLine = readUnsigned16(header + 66);
    const size_t usedPerLine = bitsPerPlane == 1 ? (width + 7) / 8 : width;
    if (bytesPerLine < usedPerLine) {
        throw ImageException("Bad bytes per line", fileName);
    }

    const bool bgra = GLExtensions::bgra();
    const int* order = bgra ? swapToBgr : keepRgb;
    components = 3;
    format = bgra ? GL_BGR_EXT : GL_RGB;

    size_t dataEnd = length;
    std::vector<unsigned char> palette;
    if (bitCount == 8) {
        // The palette is the last 768 bytes, after a marker byte.
        if (length < static_cast<size_t>(headerSize + 1 + paletteSize)) {
            throw ImageException("Missing PCX palette", fileName);
        }
        dataEnd = length - paletteSize;
        palette = orderPalette(data + dataEnd, 256, order);
    } else {
        palette = orderPalette(header + 16, 16, order);
    }

    // Refuse sizes the file cannot back before allocating for them: every
    // two bytes of data decode to at most 63 bytes.
    const size_t decodedBytes = bytesPerLine * planes * height;
    const size_t available = dataEnd - headerSize;
    if (available / 2 * PCXRunDecoder::maxRunLength + available % 2 < decodedBytes) {
        throw ImageException("Truncated image data", fileName);
    }
    if (bitCount == 8 && data[length - paletteSize - 1] != paletteMarker) {
        std::cerr << "Warning: PCX palette should start with "
                  << "a value of 0x0c (12)!" << std::endl;
    }
    allocatePixels();

    const PCXPicture picture{
        data + headerSize, data + dataEnd, fileName, bitsPerPlane, planes, width, height,
        bytesPerLine,      palette.data(), order,    pixels};
    switch (platform::vectorLevel()) {
#if defined(__x86_64__)
    case platform::VectorLevel::avx512:
        decodePCXAvx512(picture);
        return;
    case platform::VectorLevel::ssse3:
        decodePCXSsse3(picture);
        return;
#endif
    default:
        decodePortable(picture);
        return;
    }
}

ImagePCX::~ImagePCX() {}
