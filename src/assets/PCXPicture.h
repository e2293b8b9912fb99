#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A PCX picture as its checked header describes it, and where its pixels
// go: the rows of each kind, decoded through a run decoder (PCXRunDecoder or
// a faster one) and a sink of its own. The file holds the top row first, the
// pixels the bottom one.
struct PCXPicture {
    const unsigned char* data; // the run-length data
    const unsigned char* dataEnd;
    const std::string& fileName;
    int bitsPerPlane; // 1 or 8
    int planes;       // 1 or 4 of 1 bit, 1 or 3 of 8
    int width;
    int height;
    size_t bytesPerLine; // of each plane
    // The palette's entries in output pixel order: 256 of them after the
    // data of an 8-bit picture, otherwise the header's 16.
    const unsigned char* palette;
    const int* order; // where channels R,G,B land in an output pixel
    unsigned char* pixels;

    unsigned char* row(int fileRow) const {
        return pixels + static_cast<size_t>(height - 1 - fileRow) * width * 3;
    }

    // An 8-bit picture's rows, decoded straight into the pixels through a
    // sink of palette colours.
    template <class Decoder, class Sink>
    void decodeIndexRows(Decoder& decoder, const Sink& sink) const {
        for (int fileRow = 0; fileRow < height; ++fileRow) {
            decoder.fill(row(fileRow), width, sink);
            // Bytes past those the row's pixels need are filler.
            skip(decoder, bytesPerLine - width, sink);
        }
    }

    // A 24-bit picture's rows through a line of three planes, decoded
    // through a sink of bytes and interleaved into pixels by
    // interleave(planes, out, width, order).
    template <class Decoder, class Sink, class Interleave>
    void decodePlaneRows(Decoder& decoder, const Sink& sink, Interleave interleave) const {
        std::vector<unsigned char> line(3 * bytesPerLine);
        const unsigned char* const lines[3] = {line.data(), line.data() + bytesPerLine,
                                               line.data() + 2 * bytesPerLine};
        for (int fileRow = 0; fileRow < height; ++fileRow) {
            decoder.fill(line.data(), line.size(), sink);
            // Bytes past those the row's pixels need are filler and dropped.
            interleave(lines, row(fileRow), width, order);
        }
    }

    // The rows of a picture of 1-bit planes, through a sink of bytes.
    template <class Decoder, class Sink>
    void decodeBitPlaneRows(Decoder& decoder, const Sink& sink) const {
        std::vector<unsigned char> line(planes * bytesPerLine);
        for (int fileRow = 0; fileRow < height; ++fileRow) {
            decoder.fill(line.data(), line.size(), sink);
            expandBitPlanes(line.data(), row(fileRow));
        }
    }

    // One line of 1-bit planes into pixels: one bit per pixel in each plane,
    // most significant first; plane k adds 1 << k to the palette index.
    void expandBitPlanes(const unsigned char* line, unsigned char* out) const;

    // Decodes count bytes through the sink and drops them.
    template <class Decoder, class Sink>
    static void skip(Decoder& decoder, size_t count, const Sink& sink) {
        unsigned char scratch[256 * Sink::unit];
        while (count > 0) {
            const size_t now = count < 256 ? count : 256;
            decoder.fill(scratch, now, sink);
            count -= now;
        }
    }

    // The pixels from x on of a line of three planes, one at a time, into
    // pixels in the given channel order; out is where pixel x goes. Defined
    // here so that the vector paths inline it after their loops: as a call,
    // it made the 64-byte loop reload its tables on every pass.
    static void interleaveFrom(const unsigned char* const planes[3], unsigned char* out, int x,
                               int width, const int* order) {
        const int r = order[0], g = order[1], b = order[2];
        for (; x < width; ++x, out += 3) {
            out[r] = planes[0][x];
            out[g] = planes[1][x];
            out[b] = planes[2][x];
        }
    }
};
