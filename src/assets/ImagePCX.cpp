#include "assets/ImagePCX.h"

#include "assets/GLExtensions.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"

#include <cstdint>
#include <cstring>
#include <iostream>
#include <vector>

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
        while (count > 0) {
            if (runLeft > 0) {
                size_t n = runLeft < count ? runLeft : count;
                memset(out, runValue, n);
                out += n;
                count -= n;
                runLeft -= n;
                continue;
            }
            // Plain bytes eight at a time while none of them starts a run.
            while (count >= 8 && inEnd - in >= 8) {
                uint64_t word;
                memcpy(&word, in, 8);
                if ((word & (word << 1) & 0x8080808080808080ull) != 0) {
                    break;
                }
                memcpy(out, in, 8);
                in += 8;
                out += 8;
                count -= 8;
            }
            if (count == 0) {
                break;
            }
            if (in >= inEnd) {
                throw ImageException("Truncated image data", fileName);
            }
            unsigned char c = *in++;
            if (c < 192) {
                *out++ = c;
                --count;
                continue;
            }
            if (in >= inEnd) {
                throw ImageException("Truncated image data", fileName);
            }
            // A run byte of exactly 192 gives no copies: skip it and its value.
            runValue = *in++;
            runLeft = c - 192;
        }
    }

private:
    const unsigned char* in;
    const unsigned char* inEnd;
    unsigned char runValue;
    size_t runLeft;
    const std::string& fileName;
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

} // namespace

ImagePCX::ImagePCX(const ImageBuffer& buffer) : Image(buffer.getFileName()) {
    const std::string& fileName = buffer.getFileName();
    const unsigned char* data = buffer.getData();
    const size_t length = buffer.getLength();
    if (length < static_cast<size_t>(headerSize)) {
        throw ImageException("Truncated image header", fileName);
    }
    const unsigned char* header = data;
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
            const unsigned char* red = line.data();
            const unsigned char* green = red + bytesPerLine;
            const unsigned char* blue = green + bytesPerLine;
            const int r = order[0], g = order[1], b = order[2];
            for (int x = 0; x < width; ++x, out += 3) {
                out[r] = red[x];
                out[g] = green[x];
                out[b] = blue[x];
            }
        } else if (bitCount == 8) {
            for (int x = 0; x < width; ++x, out += 3) {
                memcpy(out, &palette[line[x] * 3], 3);
            }
        } else {
            for (int x = 0; x < width; ++x, out += 3) {
                const int bit = 7 - (x & 7);
                int index = 0;
                for (int plane = 0; plane < planes; ++plane) {
                    index |= ((line[plane * bytesPerLine + (x >> 3)] >> bit) & 1) << plane;
                }
                memcpy(out, &palette[index * 3], 3);
            }
        }
    }
}

ImagePCX::~ImagePCX() {}
