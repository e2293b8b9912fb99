#include "assets/ImageTGA.h"

#include "assets/GLExtensions.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"
#include "assets/ImageTGASsse3.h"
#include "platform/VectorUnits.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

const int headerSize = 18;
const int rlePacketPixels = 128;

// Where channels 0..3 of a file pixel (B,G,R,A) land in the output pixel.
const int swapToRgb[4] = {2, 1, 0, 3};
const int keepFileOrder[4] = {0, 1, 2, 3};

enum ImageType {
    noImage = 0,
    colourMapped = 1,
    trueColour = 2,
    greyscale = 3,
    colourMappedRle = 9,
    trueColourRle = 10,
    greyscaleRle = 11,
};

int readSigned16(const unsigned char* p) {
    return static_cast<int16_t>(p[0] | p[1] << 8);
}

// One file pixel of each kind to one output pixel; the decoding loops below
// are written once over these.
struct StoreIndexed {
    const unsigned char* map;
    int mapLength;
    const int* order;
    const std::string* fileName;
    void operator()(const unsigned char* in, unsigned char* out) const {
        if (*in >= mapLength) {
            throw ImageException("Colour index outside the colour map", *fileName);
        }
        const unsigned char* entry = map + *in * 3;
        out[order[0]] = entry[0];
        out[order[1]] = entry[1];
        out[order[2]] = entry[2];
    }
};

struct Store16 {
    const int* order;
    void operator()(const unsigned char* in, unsigned char* out) const {
        int v = in[0] | in[1] << 8;
        out[order[0]] = static_cast<unsigned char>((v & 31) << 3);
        out[order[1]] = static_cast<unsigned char>(((v >> 5) & 31) << 3);
        out[order[2]] = static_cast<unsigned char>(((v >> 10) & 31) << 3);
    }
};

struct Store24 {
    const int* order;
    bool ssse3; // whether many pixels at once may go through 16-byte shuffles
    void operator()(const unsigned char* in, unsigned char* out) const {
        out[order[0]] = in[0];
        out[order[1]] = in[1];
        out[order[2]] = in[2];
    }
};

struct Store32 {
    const int* order;
    bool ssse3;
    void operator()(const unsigned char* in, unsigned char* out) const {
        out[order[0]] = in[0];
        out[order[1]] = in[1];
        out[order[2]] = in[2];
        out[order[3]] = in[3];
    }
};

// Moves many 3- or 4-byte pixels through the channel table: sixteen bytes
// at a time where the processor can shuffle them, one pixel at a time for
// the rest.
void shufflePixels(const unsigned char* in, unsigned char* out, size_t count, int size,
                   const int* order, bool ssse3) {
    size_t done = 0;
#if defined(__x86_64__)
    if (ssse3) {
        done = shuffleTgaPixelsSsse3(in, out, count, size, order);
    }
#else
    (void)ssse3;
#endif
    in += done * size;
    out += done * size;
    if (size == 3) {
        const int a = order[0], b = order[1], c = order[2];
        for (; done < count; ++done, in += 3, out += 3) {
            out[a] = in[0];
            out[b] = in[1];
            out[c] = in[2];
        }
    } else {
        const int a = order[0], b = order[1], c = order[2], d = order[3];
        for (; done < count; ++done, in += 4, out += 4) {
            out[a] = in[0];
            out[b] = in[1];
            out[c] = in[2];
            out[d] = in[3];
        }
    }
}

template <int N> struct StoreCopy {
    void operator()(const unsigned char* in, unsigned char* out) const { memcpy(out, in, N); }
};

// The caller has checked that the file holds every pixel.
template <class Store>
void decodeRaw(const unsigned char* in, int inBytes, unsigned char* out, size_t pixelCount,
               int outBytes, Store store) {
    for (size_t i = 0; i < pixelCount; ++i) {
        store(in, out);
        in += inBytes;
        out += outBytes;
    }
}

void decodeRaw(const unsigned char* in, int, unsigned char* out, size_t pixelCount, int,
               Store24 store) {
    shufflePixels(in, out, pixelCount, 3, store.order, store.ssse3);
}

void decodeRaw(const unsigned char* in, int, unsigned char* out, size_t pixelCount, int,
               Store32 store) {
    shufflePixels(in, out, pixelCount, 4, store.order, store.ssse3);
}

// Repeats the pixel of Size bytes at out until bytes are filled, 24 bytes -
// a whole number of pixels of 1 to 4 bytes - at a time. Where the image has
// room the last store runs past the run, into bytes that the packets after
// it write again; only near its end does the run go a pixel at a time.
template <int Size>
inline void repeatPixelOf(unsigned char* out, size_t bytes, const unsigned char* outEnd) {
    if (static_cast<size_t>(outEnd - out) < bytes + 24) {
        for (size_t done = Size; done < bytes; done += Size) {
            memcpy(out + done, out, Size);
        }
        return;
    }
    unsigned char pattern[24];
#pragma GCC unroll 24
    for (int i = 0; i < 24; ++i) {
        pattern[i] = out[i % Size];
    }
    for (size_t done = 0; done < bytes; done += sizeof pattern) {
        memcpy(out + done, pattern, sizeof pattern);
    }
}

inline void repeatPixel(unsigned char* out, size_t bytes, int size, const unsigned char* outEnd) {
    switch (size) {
    case 1:
        repeatPixelOf<1>(out, bytes, outEnd);
        break;
    case 2:
        repeatPixelOf<2>(out, bytes, outEnd);
        break;
    case 3:
        repeatPixelOf<3>(out, bytes, outEnd);
        break;
    default:
        repeatPixelOf<4>(out, bytes, outEnd);
        break;
    }
}

// Takes what packets it can far from the ends of the file and the picture,
// for the pixel kinds that have a quicker way; the careful loop below does
// the rest.
template <class Store>
void decodeRleAhead(const unsigned char*&, const unsigned char*, unsigned char*&,
                    const unsigned char*, Store) {}

// Whole packets of 3- or 4-byte pixels far from the ends, where the
// processor can shuffle bytes.
void decodeShuffledRleAhead(int size, const unsigned char*& in, const unsigned char* inEnd,
                            unsigned char*& out, const unsigned char* outEnd, const int* order,
                            bool ssse3) {
#if defined(__x86_64__)
    if (ssse3) {
        decodeTgaRleSsse3(size, in, inEnd, out, outEnd, order);
    }
#else
    (void)size, (void)in, (void)inEnd, (void)out, (void)outEnd, (void)order, (void)ssse3;
#endif
}

void decodeRleAhead(const unsigned char*& in, const unsigned char* inEnd, unsigned char*& out,
                    const unsigned char* outEnd, Store24 store) {
    decodeShuffledRleAhead(3, in, inEnd, out, outEnd, store.order, store.ssse3);
}

void decodeRleAhead(const unsigned char*& in, const unsigned char* inEnd, unsigned char*& out,
                    const unsigned char* outEnd, Store32 store) {
    decodeShuffledRleAhead(4, in, inEnd, out, outEnd, store.order, store.ssse3);
}

// Packets run on across row ends; pixels a packet holds beyond the end of
// the image are dropped.
template <class Store>
void decodeRle(const unsigned char* in, const unsigned char* inEnd, int inBytes, unsigned char* out,
               size_t pixelCount, int outBytes, Store store, const std::string& fileName) {
    unsigned char* outEnd = out + pixelCount * outBytes;
    decodeRleAhead(in, inEnd, out, outEnd, store);
    while (out < outEnd) {
        if (in >= inEnd) {
            throw ImageException("Truncated image data", fileName);
        }
        int header = *in++;
        size_t count = (header & 0x7F) + 1;
        count = std::min(count, static_cast<size_t>(outEnd - out) / outBytes);
        if (header & 0x80) {
            if (inEnd - in < inBytes) {
                throw ImageException("Truncated image data", fileName);
            }
            store(in, out);
            in += inBytes;
            repeatPixel(out, count * outBytes, outBytes, outEnd);
            out += count * outBytes;
        } else {
            if (static_cast<size_t>(inEnd - in) < count * inBytes) {
                throw ImageException("Truncated image data", fileName);
            }
            decodeRaw(in, inBytes, out, count, outBytes, store);
            in += count * inBytes;
            out += count * outBytes;
        }
    }
}

template <class Store>
void decode(bool rle, const unsigned char* in, const unsigned char* inEnd, int inBytes,
            unsigned char* out, size_t pixelCount, int outBytes, Store store,
            const std::string& fileName) {
    if (rle) {
        decodeRle(in, inEnd, inBytes, out, pixelCount, outBytes, store, fileName);
    } else {
        decodeRaw(in, inBytes, out, pixelCount, outBytes, store);
    }
}

} // namespace

ImageTGA::ImageTGA(const ImageBuffer& buffer) : Image(buffer.getFileName()) {
    const std::string& fileName = buffer.getFileName();
    const unsigned char* data = buffer.getData();
    const size_t length = buffer.getLength();
    const unsigned char* header = headerOf(buffer, headerSize);
    const int type = header[2];
    const int depth = header[16];
    width = readSigned16(header + 12);
    height = readSigned16(header + 14);

    const bool rle = type >= colourMappedRle;
    const bool indexed = type == colourMapped || type == colourMappedRle;
    const bool bgra = GLExtensions::bgra();
    const int* order = bgra ? keepFileOrder : swapToRgb;
    int fileBytes = 0; // bytes per pixel in the file
    switch (type) {
    case noImage:
        return;
    case colourMapped:
    case colourMappedRle:
        if (depth != 8) {
            throw ImageException("Unsupported TGA pixel depth", fileName);
        }
        fileBytes = 1;
        components = 3;
        format = bgra ? GL_BGR_EXT : GL_RGB;
        break;
    case trueColour:
    case trueColourRle:
        if (depth != 16 && depth != 24 && depth != 32) {
            throw ImageException("Unsupported TGA pixel depth", fileName);
        }
        fileBytes = depth / 8;
        components = depth > 24 ? 4 : 3;
        if (components == 4) {
            format = bgra ? GL_BGRA_EXT : GL_RGBA;
        } else {
            format = bgra ? GL_BGR_EXT : GL_RGB;
        }
        break;
    case greyscale:
    case greyscaleRle:
        components = depth == 8 ? 1 : 2;
        fileBytes = components;
        format = depth == 8 ? GL_LUMINANCE : GL_LUMINANCE_ALPHA;
        break;
    default:
        throw ImageException("Unknown TGA image type", fileName);
    }
    if (width <= 0 || height <= 0) {
        throw ImageException("Bad image dimensions", fileName);
    }

    // The ID field, then the colour map, then the pixels.
    size_t offset = headerSize + header[0];
    const unsigned char* map = nullptr;
    int mapLength = 0;
    if (header[1] != 0) {
        mapLength = readSigned16(header + 5);
        if (mapLength < 0) {
            throw ImageException("Bad colour map length", fileName);
        }
        size_t mapBytes = static_cast<size_t>(header[7] / 8) * mapLength;
        if (offset > length || length - offset < mapBytes) {
            throw ImageException("Truncated colour map", fileName);
        }
        map = data + offset;
        offset += mapBytes;
    }
    if (indexed) {
        if (map == nullptr) {
            throw ImageException("Missing colour map", fileName);
        }
        if (header[7] != 24) {
            throw ImageException("Unsupported colour map entry size", fileName);
        }
    }

    // Refuse sizes the file cannot back before allocating for them: raw data
    // holds every pixel, run-length data at least one packet per 128.
    const size_t pixelCount = static_cast<size_t>(width) * height;
    const size_t available = offset < length ? length - offset : 0;
    const size_t needed =
        rle ? (pixelCount + rlePacketPixels - 1) / rlePacketPixels * (1 + fileBytes)
            : pixelCount * fileBytes;
    if (available < needed) {
        throw ImageException("Truncated image data", fileName);
    }
    allocatePixels();

    const unsigned char* in = data + offset;
    const unsigned char* inEnd = data + length;
    const bool ssse3 = platform::vectorLevel() >= platform::VectorLevel::ssse3;
    if (indexed) {
        StoreIndexed store{map, mapLength, order, &fileName};
        decode(rle, in, inEnd, 1, pixels, pixelCount, 3, store, fileName);
    } else if (type == greyscale || ((depth == 24 || depth == 32) && type == trueColour && bgra)) {
        // Already in the order OpenGL is told about.
        memcpy(pixels, in, pixelCount * fileBytes);
    } else if (type == greyscaleRle) {
        if (components == 1) {
            decodeRle(in, inEnd, 1, pixels, pixelCount, 1, StoreCopy<1>(), fileName);
        } else {
            decodeRle(in, inEnd, 2, pixels, pixelCount, 2, StoreCopy<2>(), fileName);
        }
    } else if (depth == 16) {
        decode(rle, in, inEnd, 2, pixels, pixelCount, 3, Store16{order}, fileName);
    } else if (depth == 24) {
        decode(rle, in, inEnd, 3, pixels, pixelCount, 3, Store24{order, ssse3}, fileName);
    } else {
        decode(rle, in, inEnd, 4, pixels, pixelCount, 4, Store32{order, ssse3}, fileName);
    }
}

ImageTGA::~ImageTGA() {}
