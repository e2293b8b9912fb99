#include "assets/ImagePCX.h"

#include "assets/GLExtensions.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"

#include <cstdint>
#include <cstring>
#include <iostream>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

const int headerSize = 128;
const int paletteSize = 768;
const int paletteMarker = 12;
const int maxRunLength = 255 - 192;

// Where channels R,G,B land in the output pixel.
const int keepRgb[3] = {0, 1, 2};
const int swapToBgr[3] = {2, 1, 0};

int readUnsigned16(const unsigned char* p) {
    return p[0] | p[1] << 8;
}

// Run-length decoding with the run state kept for the whole image: a run
// left over at the end of one scan line goes on into the next.
class RunDecoder {
public:
    RunDecoder(const unsigned char* in, const unsigned char* inEnd, const std::string& fileName)
        : in(in), inEnd(inEnd), runValue(0), runLeft(0), fileName(fileName) {}

    void fill(unsigned char* out, size_t count) {
        unsigned char* const end = out + count;
        size_t carried = runLeft < count ? runLeft : count;
        memset(out, runValue, carried);
        out += carried;
        runLeft -= carried;
        while (out < end) {
            // While there is room for a whole 8-byte store, a literal byte
            // and a short run are one token each, decoded without branching
            // on which it is: a store of eight copies of the value, of which
            // the bytes past the token are written again by what follows.
            // (Arithmetic instead of comparisons, so that the compiler makes
            // no branch of it: in noisy pictures it would be mispredicted.)
            while (end - out >= 8 && inEnd - in >= 2) {
                const int c = in[0];
                const int run = (c + 64) >> 8; // 1 for 192 and above
                const int length = 1 + run * (c - 193);
                if (length > 8) {
                    break;
                }
                const uint64_t word = in[run] * 0x0101010101010101ull;
                memcpy(out, &word, 8);
                out += length;
                in += 1 + run;
            }
            if (out == end) {
                break;
            }
            if (in >= inEnd) {
                throw ImageException("Truncated image data", fileName);
            }
            unsigned char c = *in++;
            if (c < 192) {
                *out++ = c;
                continue;
            }
            if (in >= inEnd) {
                throw ImageException("Truncated image data", fileName);
            }
            // A long run, or one near the end of the line, which may carry
            // on into the next. A run byte of exactly 192 gives no copies:
            // it and its value are skipped.
            const unsigned char value = *in++;
            const size_t length = c - 192;
            const size_t room = end - out;
            const size_t now = length < room ? length : room;
            memset(out, value, now);
            out += now;
            runValue = value;
            runLeft = length - now;
        }
    }

private:
    const unsigned char* in;
    const unsigned char* inEnd;
    unsigned char runValue;
    size_t runLeft;
    const std::string& fileName;
};

// Three planes of one scan line into R,G,B (or B,G,R) pixels: sixteen
// pixels at a time where the processor can shuffle bytes. Returns how many
// pixels the fast path took.
#if defined(__x86_64__)
__attribute__((target("ssse3"))) int interleaveSsse3(const unsigned char* const planes[3],
                                                     unsigned char* out, int width,
                                                     const int* order) {
    // masks[k][c]: where the bytes of output block k come from in plane c.
    alignas(16) unsigned char masks[3][3][16];
    int planeOfSlot[3];
    for (int c = 0; c < 3; ++c) {
        planeOfSlot[order[c]] = c;
    }
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 16; ++i) {
            int byte = k * 16 + i;
            for (int c = 0; c < 3; ++c) {
                masks[k][c][i] =
                    planeOfSlot[byte % 3] == c ? static_cast<unsigned char>(byte / 3) : 0x80;
            }
        }
    }
    __m128i m[3][3];
    for (int k = 0; k < 3; ++k) {
        for (int c = 0; c < 3; ++c) {
            m[k][c] = _mm_load_si128(reinterpret_cast<const __m128i*>(masks[k][c]));
        }
    }
    int x = 0;
    for (; x + 16 <= width; x += 16, out += 48) {
        __m128i p[3];
        for (int c = 0; c < 3; ++c) {
            p[c] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(planes[c] + x));
        }
        for (int k = 0; k < 3; ++k) {
            __m128i block = _mm_or_si128(
                _mm_or_si128(_mm_shuffle_epi8(p[0], m[k][0]), _mm_shuffle_epi8(p[1], m[k][1])),
                _mm_shuffle_epi8(p[2], m[k][2]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k * 16), block);
        }
    }
    return x;
}
#endif

void interleave(const unsigned char* const planes[3], unsigned char* out, int width,
                const int* order) {
    int x = 0;
#if defined(__x86_64__)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) {
        x = interleaveSsse3(planes, out, width, order);
        out += x * 3;
    }
#endif
    const int r = order[0], g = order[1], b = order[2];
    for (; x < width; ++x, out += 3) {
        out[r] = planes[0][x];
        out[g] = planes[1][x];
        out[b] = planes[2][x];
    }
}

// One byte per pixel, an index into a palette already in output order.
void expandIndices(const unsigned char* indices, const unsigned char* palette, unsigned char* out,
                   int width) {
    // Four bytes per store; the fourth is the next pixel's first, written
    // again with it. The row's last pixel takes three.
    for (int x = 0; x < width - 1; ++x, out += 3) {
        memcpy(out, palette + indices[x] * 3, 4);
    }
    memcpy(out, palette + indices[width - 1] * 3, 3);
}

// One bit per pixel in each plane, most significant first; plane k adds
// 1 << k to the palette index.
void expandBitPlanes(const unsigned char* line, size_t bytesPerLine, int planes,
                     const unsigned char* palette, unsigned char* out, int width) {
    for (int x = 0; x < width; ++x, out += 3) {
        const int bit = 7 - (x & 7);
        int index = 0;
        for (int plane = 0; plane < planes; ++plane) {
            index |= ((line[plane * bytesPerLine + (x >> 3)] >> bit) & 1) << plane;
        }
        memcpy(out, palette + index * 3, 3);
    }
}

// A palette of R,G,B entries turned into output pixel order once.
std::vector<unsigned char> orderPalette(const unsigned char* entries, int count, const int* order) {
    // One spare byte, so that the last entry too can be read four bytes at a
    // time.
    std::vector<unsigned char> palette(static_cast<size_t>(count) * 3 + 1);
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            palette[i * 3 + order[c]] = entries[i * 3 + c];
        }
    }
    return palette;
}

} // namespace

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
    const size_t lineBytes = bytesPerLine * planes;
    const size_t decodedBytes = lineBytes * height;
    const size_t available = dataEnd - headerSize;
    if (available / 2 * maxRunLength + available % 2 < decodedBytes) {
        throw ImageException("Truncated image data", fileName);
    }
    if (bitCount == 8 && data[length - paletteSize - 1] != paletteMarker) {
        std::cerr << "Warning: PCX palette should start with "
                  << "a value of 0x0c (12)!" << std::endl;
    }
    allocatePixels();

    RunDecoder decoder(data + headerSize, data + dataEnd, fileName);
    std::vector<unsigned char> line(lineBytes);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int row = 0; row < height; ++row) {
        // The file holds the top row first.
        unsigned char* out = pixels + (height - 1 - row) * rowBytes;
        decoder.fill(line.data(), lineBytes);
        // Bytes past those the row's pixels need are filler and dropped.
        if (bitCount == 24) {
            const unsigned char* planes[3] = {line.data(), line.data() + bytesPerLine,
                                              line.data() + 2 * bytesPerLine};
            interleave(planes, out, width, order);
        } else if (bitCount == 8) {
            expandIndices(line.data(), palette.data(), out, width);
        } else {
            expandBitPlanes(line.data(), bytesPerLine, planes, palette.data(), out, width);
        }
    }
}

ImagePCX::~ImagePCX() {}
