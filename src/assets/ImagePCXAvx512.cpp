#include "assets/ImagePCXAvx512.h"

#if defined(__x86_64__)

#include "assets/ImagePCXSsse3.h"
#include "assets/PCXBlockDecoder.h"
#include "assets/PCXPicture.h"

#include <cstring>

#include <immintrin.h>

#define WITH_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,bmi2,popcnt")))

namespace {

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

// What the sinks of 64-byte vectors share: the block's byte classes in two
// compares, and its tokens stored from a list (tokensWide), each with no
// check of its own.
template <class Sink> struct WideSink {
    static const bool wide = true;
    WITH_AVX512 static ByteClasses classesOf(const unsigned char* in) {
        const __m512i bytes = loadWide(in);
        return {_mm512_cmpge_epu8_mask(bytes, _mm512_set1_epi8(static_cast<char>(0xC0))),
                _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(static_cast<char>(0xC1)))};
    }
    // The lowest count bits set in bits, or all of them if fewer.
    WITH_AVX512 static uint64_t lowest(uint64_t bits, size_t count) {
        return count >= 64 ? bits : _pdep_u64((uint64_t{1} << count) - 1, bits);
    }
    WITH_AVX512 bool storeTokens(const unsigned char* block, uint64_t runs, uint64_t starts,
                                 unsigned char*& out, const unsigned char* end) const {
        BlockTokens list;
        tokensWide(block, runs, starts, list);
        if (static_cast<size_t>(end - out) <= list.total * Sink::unit + Sink::reach) {
            return false;
        }
        const Sink& sink = static_cast<const Sink&>(*this);
        for (int i = 0; i < list.count; ++i) {
            sink.shortRun(out, list.values[i], list.lengths[i]);
            out += list.lengths[i] * Sink::unit;
        }
        return true;
    }
};

// Decoding planes with 64-byte vectors: a run of up to 63 is one store, the
// literals and single runs of a block one compression.
struct WideByteSink : WideSink<WideByteSink> {
    static const size_t unit = 1;
    static const int longest = PCXRunDecoder::maxRunLength;
    static const size_t reach = 64;
    WITH_AVX512 void shortRun(unsigned char* out, unsigned value, int) const {
        storeWide(out, _mm512_set1_epi8(static_cast<char>(value)));
    }
    void run(unsigned char* out, unsigned value, size_t count) const { memset(out, value, count); }
    static const size_t packReach = 64;
    WITH_AVX512 void pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
        storeWide(out, _mm512_maskz_compress_epi8(keep, loadWide(in)));
        out += _mm_popcnt_u64(keep);
    }
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
struct WidePaletteSink : WideSink<WidePaletteSink> {
    explicit WidePaletteSink(const WidePalette* palette) : palette(palette) {}
    static const size_t unit = 3;
    static const int longest = PCXRunDecoder::maxRunLength;
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
    static const size_t packReach = 192;
    WITH_AVX512 void pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
        // Between two runs, or before a run at the end of a block, there is
        // often nothing.
        if (keep == 0) {
            return;
        }
        __m512i vectors[3];
        colours(in, keep, vectors);
        for (int k = 0; k < 3; ++k) {
            storeWide(out + 64 * k, vectors[k]);
        }
        out += 3 * _mm_popcnt_u64(keep);
    }
    // The same storing nothing past the kept bytes' colours.
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
};

// A line of three planes into pixels 64 at a time, the rest one at a time.
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
    PCXPicture::interleaveFrom(planes, out, x, width, order);
}

// Flattened, as the rows of 8-bit pictures below.
WITH_AVX512 __attribute__((flatten)) void decodePlaneRowsWide(const PCXPicture& picture) {
    PCXBlockDecoder decoder(picture.data, picture.dataEnd, picture.fileName);
    picture.decodePlaneRows(decoder, WideByteSink(), interleaveWideRow);
}

// Flattened so that the decoding loop is compiled for these instructions
// too, with the sink's stores inlined into it.
WITH_AVX512 __attribute__((flatten)) void decodeIndexRowsWide(const PCXPicture& picture) {
    WidePalette wide;
    const unsigned char* palette = picture.palette;
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c) {
            wide.channels[c][i] = palette[i * 3 + c];
        }
        wide.colours[i] = palette[i * 3] | palette[i * 3 + 1] << 8 | palette[i * 3 + 2] << 16;
    }
    PCXBlockDecoder decoder(picture.data, picture.dataEnd, picture.fileName);
    picture.decodeIndexRows(decoder, WidePaletteSink(&wide));
}

} // namespace

void decodePCXAvx512(const PCXPicture& picture) {
    if (picture.bitsPerPlane == 1) {
        // Bit planes are small pictures; 16-byte shuffles decode them.
        decodePCXSsse3(picture);
    } else if (picture.planes == 1) {
        decodeIndexRowsWide(picture);
    } else {
        decodePlaneRowsWide(picture);
    }
}

#endif
