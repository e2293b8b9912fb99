#include "assets/ImageTGASsse3.h"

#if defined(__x86_64__)

#include <cstring>

#include <immintrin.h>

namespace {

const int rlePacketPixels = 128;

// The byte shuffle that moves four pixels at once through the channel table.
__attribute__((target("ssse3"))) __m128i pixelLanes(int size, const int* order) {
    alignas(16) unsigned char lanes[16];
    for (int i = 0; i < 16; ++i) {
        lanes[i] = static_cast<unsigned char>(i);
    }
    for (int p = 0; p < 4; ++p) {
        for (int c = 0; c < size; ++c) {
            lanes[p * size + order[c]] = static_cast<unsigned char>(p * size + c);
        }
    }
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
}

__attribute__((target("ssse3"))) size_t shuffleSsse3(const unsigned char* in, unsigned char* out,
                                                     size_t count, int size, const int* order) {
    // Four pixels per step; with 3-byte pixels the last four bytes of each
    // store are rewritten by the next step.
    const __m128i mask = pixelLanes(size, order);
    size_t done = 0;
    while ((done * size) + 16 <= count * size) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done * size));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done * size), _mm_shuffle_epi8(v, mask));
        done += 4;
    }
    return done;
}

// Each packet's header is read once and the next packet's place follows
// from its kind alone, which the processor guesses right in all but noisy
// stretches.
template <int Size>
__attribute__((target("ssse3"))) void
decodeRleSsse3(const unsigned char*& inRef, const unsigned char* inEnd, unsigned char*& outRef,
               const unsigned char* outEnd, const int* order) {
    // A run is stored 48 bytes - a whole number of pixels of either size -
    // at a time, from one pixel spread over three registers; a literal
    // packet four pixels at a time, 16 bytes read and written.
    const size_t inRoom = 1 + (rlePacketPixels + 4) * Size + 16;
    const size_t outRoom = rlePacketPixels * Size + 48;
    alignas(16) unsigned char spread[3][16];
    int source[4];
    for (int c = 0; c < Size; ++c) {
        source[order[c]] = c;
    }
    for (int i = 0; i < 48; ++i) {
        spread[i / 16][i % 16] = static_cast<unsigned char>(source[i % Size]);
    }
    const __m128i spread0 = _mm_load_si128(reinterpret_cast<const __m128i*>(spread[0]));
    const __m128i spread1 = _mm_load_si128(reinterpret_cast<const __m128i*>(spread[1]));
    const __m128i spread2 = _mm_load_si128(reinterpret_cast<const __m128i*>(spread[2]));
    const __m128i lanesMask = pixelLanes(Size, order);
    const unsigned char* in = inRef;
    unsigned char* out = outRef;
    while (static_cast<size_t>(inEnd - in) >= inRoom &&
           static_cast<size_t>(outEnd - out) >= outRoom) {
        const int header = *in;
        const size_t bytes = ((header & 0x7F) + 1) * Size;
        if (header & 0x80) {
            int pixel;
            memcpy(&pixel, in + 1, 4);
            const __m128i v = _mm_cvtsi32_si128(pixel);
            const __m128i a = _mm_shuffle_epi8(v, spread0);
            const __m128i b = _mm_shuffle_epi8(v, spread1);
            const __m128i c = _mm_shuffle_epi8(v, spread2);
            for (size_t done = 0; done < bytes; done += 48) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), a);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done + 16), b);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done + 32), c);
            }
            in += 1 + Size;
        } else {
            for (size_t done = 0; done < bytes; done += 4 * Size) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 1 + done));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done),
                                 _mm_shuffle_epi8(v, lanesMask));
            }
            in += 1 + bytes;
        }
        out += bytes;
    }
    inRef = in;
    outRef = out;
}

} // namespace

size_t shuffleTgaPixelsSsse3(const unsigned char* in, unsigned char* out, size_t count, int size,
                             const int* order) {
    return shuffleSsse3(in, out, count, size, order);
}

void decodeTgaRleSsse3(int size, const unsigned char*& in, const unsigned char* inEnd,
                       unsigned char*& out, const unsigned char* outEnd, const int* order) {
    if (size == 3) {
        decodeRleSsse3<3>(in, inEnd, out, outEnd, order);
    } else {
        decodeRleSsse3<4>(in, inEnd, out, outEnd, order);
    }
}

#endif
