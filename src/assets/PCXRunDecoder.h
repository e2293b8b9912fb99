#pragma once

#include "assets/ImageException.h"

#include <cstddef>
#include <string>

// Run-length decoding of PCX data, one token at a time, with the run state
// kept for the whole image: a run left over at the end of one scan line goes
// on into the next. A byte of 192 or more is a run byte, giving that many
// less 192 copies of the byte after it; any other byte stands for itself.
//
// Decoded bytes go through a sink, which stores them as they are or as the
// colour of the palette entry they index: `unit` output bytes for each, a
// run of `count` of `value` with run(out, value, count).
class PCXRunDecoder {
public:
    // The most copies one run byte gives.
    static const int maxRunLength = 255 - 192;

    PCXRunDecoder(const unsigned char* in, const unsigned char* inEnd, const std::string& fileName)
        : in(in), inEnd(inEnd), runValue(0), runLeft(0), fileName(fileName) {}

    // Decodes count bytes into out through the sink.
    template <class Sink> void fill(unsigned char* out, size_t count, const Sink& sink) {
        unsigned char* const end = out + count * Sink::unit;
        if (put(out, end, runValue, runLeft, sink)) {
            return;
        }
        while (!next(out, end, sink)) {
        }
    }

protected:
    // Stores as much of a run as there is room for before end; what is left
    // over waits for the next fill. Returns whether out has reached end.
    template <class Sink>
    bool put(unsigned char*& out, const unsigned char* end, unsigned value, size_t length,
             const Sink& sink) {
        const size_t room = (end - out) / Sink::unit;
        const size_t now = length < room ? length : room;
        sink.run(out, value, now);
        out += now * Sink::unit;
        runValue = static_cast<unsigned char>(value);
        runLeft = length - now;
        return out == end;
    }

    // Decodes the next token. Returns whether out has reached end.
    template <class Sink>
    bool next(unsigned char*& out, const unsigned char* end, const Sink& sink) {
        if (in >= inEnd) {
            throw ImageException("Truncated image data", fileName);
        }
        const unsigned c = *in++;
        if (c < 192) {
            return put(out, end, c, 1, sink);
        }
        if (in >= inEnd) {
            throw ImageException("Truncated image data", fileName);
        }
        // A run byte of exactly 192 gives no copies: it and its value are
        // skipped.
        const unsigned value = *in++;
        return put(out, end, value, c - 192, sink);
    }

    const unsigned char* in;
    const unsigned char* inEnd;
    unsigned char runValue;
    size_t runLeft;
    const std::string& fileName;
};
