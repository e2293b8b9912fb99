#include "assets/ImagePCXSsse3.h"

#if defined(__x86_64__)

#include "assets/PCXBlockDecoder.h"
#include "assets/PCXPicture.h"

#include <array>
#include <cstring>

#include <immintrin.h>

namespace {

// Which of 64 bytes are 192 or more and which are 193, sixteen at a time.
inline __attribute__((always_inline)) ByteClasses classify(const unsigned char* in) {
    ByteClasses classes{0, 0};
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
    return classes;
}

// Copies the bytes of 64 whose bits are set in keep to out, in order,
// eight at a time through a byte shuffle; writes up to 64 bytes whatever
// it keeps. Returns the end of what it kept.
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

// Decoded bytes stored as they are (planes and bit lines), a run of up to
// 63 as eight-byte copies.
struct ByteSink {
    static const size_t unit = 1;
    static ByteClasses classesOf(const unsigned char* in) { return classify(in); }
    static const int longest = PCXRunDecoder::maxRunLength;
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
    static const size_t packReach = 64;
    void pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
        out = packSsse3(in, keep, out);
    }
    static const bool wide = false;
};

// Decoded bytes stored as the 3-byte colour of the palette entry they index
// (8-bit pictures, which are decoded straight into their rows).
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
    static const size_t packReach = 64 * 3 + 1;
    void pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
        for (; keep != 0; keep &= keep - 1, out += 3) {
            memcpy(out, patterns[in[__builtin_ctzll(keep)]], 4);
        }
    }
    static const bool wide = false;
};

// Three planes of one scan line into pixels in the given channel order,
// sixteen pixels at a time. Returns how many pixels it took.
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

void interleave(const unsigned char* const planes[3], unsigned char* out, int width,
                const int* order) {
    const int x = interleaveSsse3(planes, out, width, order);
    PCXPicture::interleaveFrom(planes, out + x * 3, x, width, order);
}

} // namespace

// Flattened, as the 64-byte paths are, so that each kind's decoding loop
// has its sink's stores inlined into it.
__attribute__((flatten)) void decodePCXSsse3(const PCXPicture& picture) {
    PCXBlockDecoder decoder(picture.data, picture.dataEnd, picture.fileName);
    if (picture.bitsPerPlane == 1) {
        picture.decodeBitPlaneRows(decoder, ByteSink());
    } else if (picture.planes == 1) {
        unsigned char patterns[256][PaletteSink::reach];
        for (int i = 0; i < 256; ++i) {
            for (size_t k = 0; k < PaletteSink::reach; ++k) {
                patterns[i][k] = picture.palette[i * 3 + k % 3];
            }
        }
        picture.decodeIndexRows(decoder, PaletteSink{patterns});
    } else {
        picture.decodePlaneRows(decoder, ByteSink(), interleave);
    }
}

#endif
