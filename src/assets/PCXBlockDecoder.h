#pragma once

#include "assets/PCXRunDecoder.h"

#include <cstddef>
#include <cstdint>

// For 64 bytes, one bit each: which are 192 or more, that is have their
// top two bits set, and which are 193, the run byte of a single copy.
struct ByteClasses {
    uint64_t high;
    uint64_t singles;
};

// The run bytes among 64 bytes of which the first starts a token, given
// which are 192 or more: such a byte starts a run unless it is the value of
// the run byte just before it, so in a stretch of them every other one does,
// from the first of the stretch on.
inline uint64_t runBytes(uint64_t high) {
    const uint64_t even = 0x5555555555555555ull;
    const uint64_t firsts = high & ~(high << 1);
    // Adding its first bit to a stretch clears it: those are the stretches
    // that start at an even place.
    const uint64_t evenStretches = high & ~(high + (firsts & even));
    return (evenStretches & even) | (high & ~evenStretches & ~even);
}

// PCX run-length decoding 64 bytes of the file at a time, for the decoders
// that have vector instructions; one token at a time, as PCXRunDecoder,
// near the end of the file.
//
// Besides a PCXRunDecoder sink's `unit` and run(), which stores a run
// exactly, a sink here has:
// - classesOf(in): the ByteClasses of 64 bytes;
// - shortRun(out, value, length): a run of up to `longest` with whole
//   copies that store no more than `reach` bytes;
// - pack(in, keep, out): the bytes of 64 whose bits are set in keep, as
//   decoded bytes, storing up to `packReach` bytes; out moves past them;
// - `wide`: whether it also has lowest(bits, count), the lowest count bits
//   set in bits; packExactly(in, keep, out), pack storing nothing past the
//   kept bytes; and storeTokens(block, runs, starts, out, end), which stores
//   the tokens starting where bits are set in starts, given the run bytes,
//   if there is room for them and what their stores write past them, and
//   returns whether it did.
class PCXBlockDecoder : public PCXRunDecoder {
public:
    PCXBlockDecoder(const unsigned char* in, const unsigned char* inEnd,
                    const std::string& fileName)
        : PCXRunDecoder(in, inEnd, fileName), valueFirst(0) {}

    // Decodes count bytes into out through the sink.
    template <class Sink> void fill(unsigned char* out, size_t count, const Sink& sink) {
        unsigned char* const end = out + count * Sink::unit;
        if (put(out, end, runValue, runLeft, sink)) {
            return;
        }
        while (true) {
            // Whole blocks while the file holds one and the byte after it,
            // the value of a run byte that may end the block. They work on a
            // copy of the place in the file, which the stores through out
            // could otherwise be taken to change.
            if (inEnd - in > blockSize) {
                Place place{in, valueFirst};
                const bool done = fillBlocks(place, out, end, sink);
                in = place.in;
                valueFirst = place.valueFirst;
                if (done) {
                    return;
                }
            }
            // Token by token near the end of the file, past the value of a
            // run the blocks stored.
            in += valueFirst;
            valueFirst = 0;
            if (next(out, end, sink)) {
                return;
            }
        }
    }

private:
    static const int blockSize = 64;

    // Where block decoding is in the file: the next block, and 1 where its
    // first byte is the value of a run already stored.
    struct Place {
        const unsigned char* in;
        uint64_t valueFirst;
    };

    // Whole blocks while the file holds one and the byte after it. Returns
    // whether out has reached end.
    template <class Sink>
    bool fillBlocks(Place& place, unsigned char*& out, const unsigned char* end, const Sink& sink) {
        const unsigned char* const last = inEnd - blockSize;
        while (place.in < last) {
            if (fillBlock(place, out, end, sink)) {
                return true;
            }
        }
        return false;
    }

    // Packing a block takes at most this many runs of other than one copy,
    // each of which splits it; above it, going token by token is quicker.
    static const int maxOtherRuns = 2;

    // Whether no more than maxOtherRuns bits are set.
    static bool fewEnough(uint64_t bits) {
        for (int i = 0; i < maxOtherRuns; ++i) {
            bits &= bits - 1;
        }
        return bits == 0;
    }

    // The output room a packed block with these other runs needs: its
    // literals and runs, and what the last store made for them writes past
    // them.
    template <class Sink> static size_t packRoom(uint64_t others) {
        const size_t longestStore = Sink::packReach > Sink::reach ? Sink::packReach : Sink::reach;
        const int otherRuns = (others != 0) + ((others & (others - 1)) != 0);
        return (blockSize + otherRuns * maxRunLength) * Sink::unit + longestStore;
    }

    // A block whose run bytes are known, packed: the stretches of literals
    // and values of single runs between the other runs.
    template <class Sink>
    void packBlock(Place& place, uint64_t runs, uint64_t others, unsigned char*& out,
                   const Sink& sink) {
        const unsigned char* const block = place.in;
        uint64_t keep = ~runs & ~(others << 1) & ~place.valueFirst;
        unsigned char* o = out;
        while (others != 0) {
            const int at = __builtin_ctzll(others);
            others &= others - 1;
            const uint64_t stretch = keep & ((uint64_t{1} << at) - 1);
            keep &= ~stretch;
            sink.pack(block, stretch, o);
            const unsigned value = block[at + 1];
            const int length = block[at] - 192;
            if (length <= Sink::longest) {
                sink.shortRun(o, value, length);
            } else {
                sink.run(o, value, length);
            }
            o += length * Sink::unit;
        }
        sink.pack(block, keep, o);
        out = o;
        place.in = block + blockSize;
        place.valueFirst = runs >> (blockSize - 1);
    }

    // A block of literals and single runs alone, none at the last place,
    // near the end of the output: as many of its bytes as there is room
    // for, stored exactly. Returns whether out has reached end.
    template <class Sink>
    bool packTail(Place& place, uint64_t runs, unsigned char*& out, const unsigned char* end,
                  const Sink& sink) {
        const unsigned char* const block = place.in;
        const uint64_t keep = ~runs & ~place.valueFirst;
        const uint64_t used = Sink::lowest(keep, (end - out) / Sink::unit);
        sink.packExactly(block, used, out);
        place.valueFirst = 0;
        if (used != keep) {
            place.in = block + blockSize - __builtin_clzll(used);
            return true;
        }
        place.in = block + blockSize;
        return out == end;
    }

    // The tokens that start in the next 64 bytes of the file. Where they are
    // comes from the bytes alone, not from decoding the token before each,
    // so that tokens do not wait on one another; and the next block starts
    // 64 bytes on whatever these hold, so that blocks do not wait on one
    // another either. Returns whether out has reached end, and then leaves
    // in after the last token used.
    template <class Sink>
    bool fillBlock(Place& place, unsigned char*& out, const unsigned char* end, const Sink& sink) {
        const unsigned char* const block = place.in;
        const ByteClasses classes = Sink::classesOf(block);
        // Where the first byte is the value of the run that ended the block
        // before, the tokens start at the second; this is all that waits on
        // that block.
        const uint64_t runs = runBytes(classes.high & ~place.valueFirst);
        // A run byte at the last place has its value in the next block; the
        // run is stored here.
        const uint64_t lastIsRun = runs >> (blockSize - 1);
        // Literals and runs of one copy, as noisy pictures are made of, with
        // few other runs: the output is the block without its run bytes,
        // the other runs stored between the packed stretches.
        const uint64_t others = (runs & ~classes.singles) | lastIsRun << (blockSize - 1);
        if (fewEnough(others) && static_cast<size_t>(end - out) > packRoom<Sink>(others)) {
            packBlock(place, runs, others, out, sink);
            return false;
        }
        if constexpr (Sink::wide) {
            if (others == 0) {
                return packTail(place, runs, out, end, sink);
            }
        }
        // Every byte but the value of a run starts a token.
        uint64_t tokens = ~(runs << 1) & ~place.valueFirst;
        if constexpr (Sink::wide) {
            // Far from the end, the tokens as a list, each stored with no
            // check of its own.
            if (sink.storeTokens(block, runs, tokens, out, end)) {
                place.in = block + blockSize;
                place.valueFirst = lastIsRun;
                return false;
            }
        }
        place.valueFirst = 0;
        while (tokens != 0) {
            const int at = __builtin_ctzll(tokens);
            tokens &= tokens - 1;
            const int isRun = static_cast<int>(runs >> at & 1);
            const int c = block[at];
            const unsigned value = block[at + isRun];
            const int length = 1 + isRun * (c - 193);
            if (length <= Sink::longest && static_cast<size_t>(end - out) > Sink::reach) {
                sink.shortRun(out, value, length);
                out += length * Sink::unit;
                continue;
            }
            if (put(out, end, value, length, sink)) {
                place.in = block + at + 1 + isRun;
                return true;
            }
        }
        place.in = block + blockSize;
        place.valueFirst = lastIsRun;
        return false;
    }

    // 1 where the byte at in is the value of a run already stored.
    uint64_t valueFirst;
};
