#include "assets/ImagePCX.h"

#include "assets/GLExtensions.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"
#include "platform/VectorUnits.h"

#include <array>
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

// For 64 bytes, one bit each: which are 192 or more, that is have their
// top two bits set, and which are 193, the run byte of a single copy.
struct ByteClasses {
    uint64_t high;
    uint64_t singles;
};

inline __attribute__((always_inline)) ByteClasses classify(const unsigned char* in) {
    ByteClasses classes{0, 0};
#if defined(__x86_64__)
    const __m128i topTwo = _mm_set1_epi8(static_cast<char>(0xC0));
    const __m128i single = _mm_set1_epi8(static_cast<char>(0xC1));
    for (int i = 0; i < 64; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const uint64_t high =
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(bytes, topTwo), topTwo));
        const uint64_t singles = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, single));
        classes.high |= high << i;
        classes.singles |= singles << i;
    }
#else
    const uint64_t tops = 0x8080808080808080ull;
    const uint64_t lows = 0x7F7F7F7F7F7F7F7Full;
    // Gathers the top bit of each byte into one byte, in order.
    auto gather = [](uint64_t bits) { return (bits >> 7) * 0x0102040810204080ull >> 56; };
    for (int i = 0; i < 8; ++i) {
        uint64_t word;
        memcpy(&word, in + i * 8, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        word = __builtin_bswap64(word);
#endif
        classes.high |= gather(word & word << 1 & tops) << (i * 8);
        // Top bit set where the byte is zero, with no carries between bytes.
        const uint64_t x = word ^ 0xC1C1C1C1C1C1C1C1ull;
        classes.singles |= gather(~(((x & lows) + lows) | x) & tops) << (i * 8);
    }
#endif
    return classes;
}

// Copies the bytes of 64 whose bits are set in keep to out, in order,
// eight at a time through a byte shuffle; writes up to 64 bytes whatever
// it keeps. Returns the end of what it kept.
#if defined(__x86_64__)
__attribute__((target("ssse3,popcnt"))) unsigned char*
packSsse3(const unsigned char* in, uint64_t keep, unsigned char* out) {
    // For every set of kept bytes of eight, where each kept byte comes from.
    static const auto shuffles = [] {
        std::array<uint64_t, 256> table{};
        for (int set = 0; set < 256; ++set) {
            int kept = 0;
            for (int i = 0; i < 8; ++i) {
                if (set >> i & 1) {
                    table[set] |= static_cast<uint64_t>(i) << (8 * kept++);
                }
            }
        }
        return table;
    }();
    for (int i = 0; i < 64; i += 8) {
        const unsigned set = keep >> i & 0xFF;
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + i));
        const __m128i from = _mm_cvtsi64_si128(static_cast<long long>(shuffles[set]));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(bytes, from));
        out += __builtin_popcount(set);
    }
    return out;
}
#endif

// Where decoded bytes go: stored as they are (planes and bit lines), or as
// the 3-byte colour of the palette entry they index (8-bit pictures, which
// are decoded straight into their rows). A sink stores a run of up to
// `longest` decoded bytes with whole copies that write no more than `reach`
// bytes, and any run exactly.
struct ByteSink {
    bool ssse3;                   // whether pack may shuffle bytes
    static const size_t unit = 1; // output bytes per decoded byte
    static ByteClasses classesOf(const unsigned char* in) { return classify(in); }
    static const int longest = maxRunLength;
    static const size_t reach = 64;
    void shortRun(unsigned char* out, unsigned value, int length) const {
        const uint64_t word = value * 0x0101010101010101ull;
        memcpy(out, &word, 8);
        memcpy(out + 8, &word, 8);
        if (length > 16) {
            for (int i = 16; i < 64; i += 8) {
                memcpy(out + i, &word, 8);
            }
        }
    }
    void run(unsigned char* out, unsigned value, size_t count) const { memset(out, value, count); }
    // Copies the bytes of 64 whose bits are set in keep in one go, storing
    // up to packReach bytes; false where the processor has no way to.
    static const bool packs = true;
    static const bool wide = false; // see WideByteSink
    static const size_t packReach = 64;
    bool pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
#if defined(__x86_64__)
        if (ssse3) {
            out = packSsse3(in, keep, out);
            return true;
        }
#else
        (void)in, (void)keep, (void)out;
#endif
        return false;
    }
};

struct PaletteSink {
    static const size_t unit = 3;
    static ByteClasses classesOf(const unsigned char* in) { return classify(in); }
    static const int longest = 8;
    static const size_t reach = 32;
    // Each entry's colour eight times over and a little more, so that a
    // short run of one colour is one copy.
    const unsigned char (*patterns)[reach];
    void shortRun(unsigned char* out, unsigned value, int) const {
        memcpy(out, patterns[value], reach);
    }
    void run(unsigned char* out, unsigned value, size_t count) const {
        for (; count >= 8; count -= 8, out += 24) {
            memcpy(out, patterns[value], 24);
        }
        memcpy(out, patterns[value], count * 3);
    }
    // Each kept byte of 64 as a colour, four bytes stored for three.
    static const bool packs = true;
    static const bool wide = false; // see WideByteSink
    static const size_t packReach = 64 * 3 + 1;
    bool pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
        for (; keep != 0; keep &= keep - 1, out += 3) {
            memcpy(out, patterns[in[__builtin_ctzll(keep)]], 4);
        }
        return true;
    }
};

#if defined(__x86_64__)
#define WITH_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,bmi2,popcnt")))

// 64 pixels of 3 bytes are three 64-byte vectors: byte j of vector k is
// byte (64k + j) % 3 of pixel (64k + j) / 3.
struct WideLayout {
    unsigned char slot[3][64];
    unsigned char pixel[3][64];
    // The pixel, and 64 more where it is the second byte: an index into a
    // pair of vectors holding the first and second bytes of 64 pixels.
    unsigned char firstTwo[3][64];
    uint64_t third[3]; // which bytes are third bytes
};

constexpr WideLayout wideLayoutOf() {
    WideLayout layout{};
    for (int k = 0; k < 3; ++k) {
        for (int j = 0; j < 64; ++j) {
            const int slot = (64 * k + j) % 3, pixel = (64 * k + j) / 3;
            layout.slot[k][j] = static_cast<unsigned char>(slot);
            layout.pixel[k][j] = static_cast<unsigned char>(pixel);
            layout.firstTwo[k][j] = static_cast<unsigned char>(pixel + (slot == 1 ? 64 : 0));
            layout.third[k] |= static_cast<uint64_t>(slot == 2) << j;
        }
    }
    return layout;
}

alignas(64) constexpr WideLayout wideLayout = wideLayoutOf();

// The palette laid out for 64 lookups at once, in output byte order.
struct alignas(64) WidePalette {
    unsigned char channels[3][256]; // each entry's first, second, third byte
    uint32_t colours[256];          // each entry's three bytes and a spare
};

WITH_AVX512 inline __m512i loadWide(const unsigned char* p) {
    return _mm512_loadu_si512(p);
}

WITH_AVX512 inline void storeWide(unsigned char* p, __m512i v) {
    _mm512_storeu_si512(p, v);
}

// Which of 64 bytes are 192 or more and which are 193, as classify.
WITH_AVX512 inline ByteClasses classifyWide(const unsigned char* in) {
    const __m512i bytes = loadWide(in);
    return {_mm512_cmpge_epu8_mask(bytes, _mm512_set1_epi8(static_cast<char>(0xC0))),
            _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(static_cast<char>(0xC1)))};
}

// The first, second and third bytes of 64 pixels as three vectors of
// whole pixels.
WITH_AVX512 inline void interleaveWide(__m512i first, __m512i second, __m512i third,
                                       __m512i vectors[3]) {
    for (int k = 0; k < 3; ++k) {
        const __m512i firstTwo =
            _mm512_permutex2var_epi8(first, loadWide(wideLayout.firstTwo[k]), second);
        vectors[k] = _mm512_mask_permutexvar_epi8(firstTwo, _cvtu64_mask64(wideLayout.third[k]),
                                                  loadWide(wideLayout.pixel[k]), third);
    }
}

// The lowest count bits set in bits, or all of them if fewer.
WITH_AVX512 inline uint64_t lowestWide(uint64_t bits, size_t count) {
    return count >= 64 ? bits : _pdep_u64((uint64_t{1} << count) - 1, bits);
}

// The tokens that start in a block, in order, each as a run: the value and
// length of a run, a literal as a run of one.
struct BlockTokens {
    alignas(64) unsigned char values[64];
    alignas(64) unsigned char lengths[64];
    int count;
    size_t total; // of the lengths
};

// The tokens starting where bits are set in starts, given the run bytes; the
// file holds the byte after the block.
WITH_AVX512 inline void tokensWide(const unsigned char* block, uint64_t runs, uint64_t starts,
                                   BlockTokens& tokens) {
    const __m512i bytes = loadWide(block);
    const __m512i values = _mm512_mask_blend_epi8(runs, bytes, loadWide(block + 1));
    const __m512i lengths = _mm512_mask_sub_epi8(_mm512_set1_epi8(1), runs, bytes,
                                                 _mm512_set1_epi8(static_cast<char>(192)));
    const __m512i listed = _mm512_maskz_compress_epi8(starts, lengths);
    storeWide(tokens.values, _mm512_maskz_compress_epi8(starts, values));
    storeWide(tokens.lengths, listed);
    tokens.count = static_cast<int>(_mm_popcnt_u64(starts));
    // Eight sums of eight lengths, added up; the halves extracted
    // zero-masked for the reason given in WidePaletteSink::repeat.
    const __m512i sums = _mm512_sad_epu8(listed, _mm512_setzero_si512());
    const __m256i half = _mm256_add_epi64(_mm512_maskz_extracti64x4_epi64(0xFF, sums, 0),
                                          _mm512_maskz_extracti64x4_epi64(0xFF, sums, 1));
    const __m128i quarter =
        _mm_add_epi64(_mm256_castsi256_si128(half), _mm256_extracti128_si256(half, 1));
    tokens.total = static_cast<size_t>(_mm_cvtsi128_si64(quarter) + _mm_extract_epi64(quarter, 1));
}

// Decoding planes with 64-byte vectors: a run of up to 63 is one store, the
// literals and single runs of a block one compression.
struct WideByteSink {
    static const size_t unit = 1;
    static const int longest = maxRunLength;
    static const size_t reach = 64;
    WITH_AVX512 static ByteClasses classesOf(const unsigned char* in) { return classifyWide(in); }
    WITH_AVX512 static uint64_t lowest(uint64_t bits, size_t count) {
        return lowestWide(bits, count);
    }
    WITH_AVX512 void shortRun(unsigned char* out, unsigned value, int) const {
        storeWide(out, _mm512_set1_epi8(static_cast<char>(value)));
    }
    void run(unsigned char* out, unsigned value, size_t count) const { memset(out, value, count); }
    static const bool packs = true;
    static const size_t packReach = 64;
    WITH_AVX512 bool pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
        storeWide(out, _mm512_maskz_compress_epi8(keep, loadWide(in)));
        out += _mm_popcnt_u64(keep);
        return true;
    }
    // Packing exactly near the end of the output, and runs taken from a
    // list of a block's tokens (tokensWide).
    static const bool wide = true;
    WITH_AVX512 void packExactly(const unsigned char* in, uint64_t keep,
                                 unsigned char*& out) const {
        const int bytes = static_cast<int>(_mm_popcnt_u64(keep));
        _mm512_mask_storeu_epi8(out, _bzhi_u64(~uint64_t{0}, static_cast<unsigned>(bytes)),
                                _mm512_maskz_compress_epi8(keep, loadWide(in)));
        out += bytes;
    }
};

// One byte of the palette entry of each of 64 indices: two 128-byte table
// lookups, chosen by the indices' top bit.
WITH_AVX512 inline __m512i lookupWide(const unsigned char* channel, __m512i indices,
                                      __mmask64 upper) {
    const __m512i low =
        _mm512_permutex2var_epi8(loadWide(channel), indices, loadWide(channel + 64));
    const __m512i high =
        _mm512_permutex2var_epi8(loadWide(channel + 128), indices, loadWide(channel + 192));
    return _mm512_mask_blend_epi8(upper, low, high);
}

// Decoding 8-bit pictures with 64-byte vectors: 64 indices looked up and
// interleaved into pixels at once, and a run of up to 63 stored as three
// vectors of its colour.
struct WidePaletteSink {
    static const size_t unit = 3;
    static const int longest = maxRunLength;
    static const size_t reach = 192;
    const WidePalette* palette;

    // Vector k of 64 pixels of one colour.
    WITH_AVX512 static __m512i repeat(__m512i colour, int k) {
        // Zero-masked with every byte kept: the same permute as unmasked,
        // which GCC 12 wraps in a value it then warns is uninitialised.
        return _mm512_maskz_permutexvar_epi8(~__mmask64{0}, loadWide(wideLayout.slot[k]), colour);
    }
    WITH_AVX512 void shortRun(unsigned char* out, unsigned value, int length) const {
        const __m512i colour = _mm512_set1_epi32(static_cast<int>(palette->colours[value]));
        storeWide(out, repeat(colour, 0));
        if (length * 3 > 64) {
            storeWide(out + 64, repeat(colour, 1));
            storeWide(out + 128, repeat(colour, 2));
        }
    }
    WITH_AVX512 void run(unsigned char* out, unsigned value, size_t count) const {
        const __m512i colour = _mm512_set1_epi32(static_cast<int>(palette->colours[value]));
        const __m512i vectors[3] = {repeat(colour, 0), repeat(colour, 1), repeat(colour, 2)};
        size_t bytes = count * 3;
        for (; bytes >= 192; bytes -= 192, out += 192) {
            for (int k = 0; k < 3; ++k) {
                storeWide(out + 64 * k, vectors[k]);
            }
        }
        // The rest exactly: the run may end at the end of the picture.
        for (int k = 0; bytes > 0; ++k) {
            const size_t now = bytes < 64 ? bytes : 64;
            _mm512_mask_storeu_epi8(out, _bzhi_u64(~uint64_t{0}, static_cast<unsigned>(now)),
                                    vectors[k]);
            out += now;
            bytes -= now;
        }
    }
    WITH_AVX512 static ByteClasses classesOf(const unsigned char* in) { return classifyWide(in); }
    // The colours of the bytes of 64 whose bits are set in keep, in order,
    // as three vectors of pixels.
    WITH_AVX512 void colours(const unsigned char* in, uint64_t keep, __m512i vectors[3]) const {
        const __m512i indices = _mm512_maskz_compress_epi8(keep, loadWide(in));
        const __mmask64 upper = _mm512_movepi8_mask(indices);
        const __m512i first = lookupWide(palette->channels[0], indices, upper);
        const __m512i second = lookupWide(palette->channels[1], indices, upper);
        const __m512i third = lookupWide(palette->channels[2], indices, upper);
        interleaveWide(first, second, third, vectors);
    }
    static const bool packs = true;
    static const size_t packReach = 192;
    WITH_AVX512 bool pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
        // Between two runs, or before a run at the end of a block, there is
        // often nothing.
        if (keep == 0) {
            return true;
        }
        __m512i vectors[3];
        colours(in, keep, vectors);
        for (int k = 0; k < 3; ++k) {
            storeWide(out + 64 * k, vectors[k]);
        }
        out += 3 * _mm_popcnt_u64(keep);
        return true;
    }
    // The same storing nothing past the kept bytes' colours.
    static const bool wide = true;
    WITH_AVX512 void packExactly(const unsigned char* in, uint64_t keep,
                                 unsigned char*& out) const {
        __m512i vectors[3];
        colours(in, keep, vectors);
        const int bytes = 3 * static_cast<int>(_mm_popcnt_u64(keep));
        for (int k = 0; k < 3 && bytes > 64 * k; ++k) {
            _mm512_mask_storeu_epi8(out + 64 * k,
                                    _bzhi_u64(~uint64_t{0}, static_cast<unsigned>(bytes - 64 * k)),
                                    vectors[k]);
        }
        out += bytes;
    }
    WITH_AVX512 static uint64_t lowest(uint64_t bits, size_t count) {
        return lowestWide(bits, count);
    }
};
#endif

// The run bytes among 64 bytes of which the first starts a token, given
// which are 192 or more: such a byte starts a run unless it is the value of
// the run byte just before it, so in a stretch of them every other one does,
// from the first of the stretch on.
uint64_t runBytes(uint64_t high) {
    const uint64_t even = 0x5555555555555555ull;
    const uint64_t firsts = high & ~(high << 1);
    // Adding its first bit to a stretch clears it: those are the stretches
    // that start at an even place.
    const uint64_t evenStretches = high & ~(high + (firsts & even));
    return (evenStretches & even) | (high & ~evenStretches & ~even);
}

// Run-length decoding with the run state kept for the whole image: a run
// left over at the end of one scan line goes on into the next.
class RunDecoder {
public:
    RunDecoder(const unsigned char* in, const unsigned char* inEnd, const ByteSink& bytes,
               const std::string& fileName)
        : bytes(bytes), in(in), inEnd(inEnd), valueFirst(0), runValue(0), runLeft(0),
          fileName(fileName) {}

    // Stores decoded bytes as they are.
    const ByteSink bytes;

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
            if (in >= inEnd) {
                throw ImageException("Truncated image data", fileName);
            }
            const unsigned c = *in++;
            if (c < 192) {
                if (put(out, end, c, 1, sink)) {
                    return;
                }
                continue;
            }
            if (in >= inEnd) {
                throw ImageException("Truncated image data", fileName);
            }
            // A run byte of exactly 192 gives no copies: it and its value
            // are skipped.
            const unsigned value = *in++;
            if (put(out, end, value, c - 192, sink)) {
                return;
            }
        }
    }

    // Decodes count bytes and drops them.
    void skip(size_t count) {
        unsigned char scratch[256];
        while (count > 0) {
            const size_t now = count < sizeof scratch ? count : sizeof scratch;
            fill(scratch, now, bytes);
            count -= now;
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
    // and values of single runs between the other runs. Returns false, with
    // nothing stored, where the sink cannot pack.
    template <class Sink>
    bool packBlock(Place& place, uint64_t runs, uint64_t others, unsigned char*& out,
                   const Sink& sink) {
        const unsigned char* const block = place.in;
        uint64_t keep = ~runs & ~(others << 1) & ~place.valueFirst;
        unsigned char* o = out;
        while (others != 0) {
            const int at = __builtin_ctzll(others);
            others &= others - 1;
            const uint64_t stretch = keep & ((uint64_t{1} << at) - 1);
            keep &= ~stretch;
            if (!sink.pack(block, stretch, o)) {
                return false;
            }
            const unsigned value = block[at + 1];
            const int length = block[at] - 192;
            if (length <= Sink::longest) {
                sink.shortRun(o, value, length);
            } else {
                sink.run(o, value, length);
            }
            o += length * Sink::unit;
        }
        if (!sink.pack(block, keep, o)) {
            return false;
        }
        out = o;
        place.in = block + blockSize;
        place.valueFirst = runs >> (blockSize - 1);
        return true;
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
        if (Sink::packs && fewEnough(others) &&
            static_cast<size_t>(end - out) > packRoom<Sink>(others) &&
            packBlock(place, runs, others, out, sink)) {
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
            BlockTokens list;
            tokensWide(block, runs, tokens, list);
            if (static_cast<size_t>(end - out) > list.total * Sink::unit + Sink::reach) {
                for (int i = 0; i < list.count; ++i) {
                    sink.shortRun(out, list.values[i], list.lengths[i]);
                    out += list.lengths[i] * Sink::unit;
                }
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

    const unsigned char* in;
    const unsigned char* inEnd;
    // 1 where the byte at in is the value of a run already stored.
    uint64_t valueFirst;
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

// The pixels from x on, one at a time; out is where pixel x goes.
void interleaveFrom(const unsigned char* const planes[3], unsigned char* out, int x, int width,
                    const int* order) {
    const int r = order[0], g = order[1], b = order[2];
    for (; x < width; ++x, out += 3) {
        out[r] = planes[0][x];
        out[g] = planes[1][x];
        out[b] = planes[2][x];
    }
}

void interleave(const unsigned char* const planes[3], unsigned char* out, int width,
                const int* order, bool ssse3) {
    int x = 0;
#if defined(__x86_64__)
    if (ssse3) {
        x = interleaveSsse3(planes, out, width, order);
        out += x * 3;
    }
#endif
    interleaveFrom(planes, out, x, width, order);
}

#if defined(__x86_64__)
// The same 64 pixels at a time.
WITH_AVX512 void interleaveWideRow(const unsigned char* const planes[3], unsigned char* out,
                                   int width, const int* order) {
    const unsigned char* slots[3];
    for (int c = 0; c < 3; ++c) {
        slots[order[c]] = planes[c];
    }
    int x = 0;
    for (; x + 64 <= width; x += 64, out += 192) {
        __m512i vectors[3];
        interleaveWide(loadWide(slots[0] + x), loadWide(slots[1] + x), loadWide(slots[2] + x),
                       vectors);
        for (int k = 0; k < 3; ++k) {
            storeWide(out + 64 * k, vectors[k]);
        }
    }
    interleaveFrom(planes, out, x, width, order);
}
#endif

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
    std::vector<unsigned char> palette(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            palette[i * 3 + order[c]] = entries[i * 3 + c];
        }
    }
    return palette;
}

// The rows of an 8-bit picture, the top one first in the file and last in
// the pixels.
template <class Sink>
void decodeIndexRows(RunDecoder& decoder, const Sink& sink, unsigned char* pixels, int width,
                     int height, size_t bytesPerLine) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int row = 0; row < height; ++row) {
        decoder.fill(pixels + (height - 1 - row) * rowBytes, width, sink);
        // Bytes past those the row's pixels need are filler.
        decoder.skip(bytesPerLine - width);
    }
}

// The rows of a 24-bit picture through a line of planes.
template <class Sink, class Interleave>
void decodePlaneRows(RunDecoder& decoder, const Sink& sink, Interleave interleaveRow,
                     unsigned char* line, size_t bytesPerLine, unsigned char* pixels, int width,
                     int height, const int* order) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const unsigned char* planes[3] = {line, line + bytesPerLine, line + 2 * bytesPerLine};
    for (int row = 0; row < height; ++row) {
        decoder.fill(line, 3 * bytesPerLine, sink);
        // Bytes past those the row's pixels need are filler and dropped.
        interleaveRow(planes, pixels + (height - 1 - row) * rowBytes, width, order);
    }
}

#if defined(__x86_64__)
// Flattened, as the rows of 8-bit pictures below.
WITH_AVX512 __attribute__((flatten)) void
decodePlaneRowsWide(RunDecoder& decoder, unsigned char* line, size_t bytesPerLine,
                    unsigned char* pixels, int width, int height, const int* order) {
    decodePlaneRows(decoder, WideByteSink(), interleaveWideRow, line, bytesPerLine, pixels, width,
                    height, order);
}

// Flattened so that the decoding loop is compiled for these instructions
// too, with the sink's stores inlined into it.
WITH_AVX512 __attribute__((flatten)) void decodeIndexRowsWide(RunDecoder& decoder,
                                                              const unsigned char* palette,
                                                              unsigned char* pixels, int width,
                                                              int height, size_t bytesPerLine) {
    WidePalette wide;
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c) {
            wide.channels[c][i] = palette[i * 3 + c];
        }
        wide.colours[i] = palette[i * 3] | palette[i * 3 + 1] << 8 | palette[i * 3 + 2] << 16;
    }
    decodeIndexRows(decoder, WidePaletteSink{&wide}, pixels, width, height, bytesPerLine);
}
#endif

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

    const platform::VectorLevel level = platform::vectorLevel();
    const bool ssse3 = level >= platform::VectorLevel::ssse3;
    RunDecoder decoder(data + headerSize, data + dataEnd, ByteSink{ssse3}, fileName);
    if (bitCount == 8) {
#if defined(__x86_64__)
        if (level == platform::VectorLevel::avx512) {
            decodeIndexRowsWide(decoder, palette.data(), pixels, width, height, bytesPerLine);
            return;
        }
#endif
        unsigned char patterns[256][PaletteSink::reach];
        for (int i = 0; i < 256; ++i) {
            for (size_t k = 0; k < PaletteSink::reach; ++k) {
                patterns[i][k] = palette[i * 3 + k % 3];
            }
        }
        decodeIndexRows(decoder, PaletteSink{patterns}, pixels, width, height, bytesPerLine);
        return;
    }
    std::vector<unsigned char> line(lineBytes);
    if (bitCount == 24) {
#if defined(__x86_64__)
        if (level == platform::VectorLevel::avx512) {
            decodePlaneRowsWide(decoder, line.data(), bytesPerLine, pixels, width, height, order);
            return;
        }
#endif
        auto interleaveRow = [ssse3](const unsigned char* const planes[3], unsigned char* out,
                                     int width, const int* order) {
            interleave(planes, out, width, order, ssse3);
        };
        decodePlaneRows(decoder, decoder.bytes, interleaveRow, line.data(), bytesPerLine, pixels,
                        width, height, order);
        return;
    }
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int row = 0; row < height; ++row) {
        decoder.fill(line.data(), lineBytes, decoder.bytes);
        // The file holds the top row first.
        expandBitPlanes(line.data(), bytesPerLine, planes, palette.data(),
                        pixels + (height - 1 - row) * rowBytes, width);
    }
}

ImagePCX::~ImagePCX() {}
