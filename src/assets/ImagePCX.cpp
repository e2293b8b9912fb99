#include "assets/ImagePCX.h"

#include "assets/GLExtensions.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"

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
    static const size_t unit = 1; // output bytes per decoded byte
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
    static const size_t packReach = 64;
    bool pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
#if defined(__x86_64__)
        static const bool ssse3 =
            __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt");
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
    static const size_t packReach = 64 * 3 + 1;
    bool pack(const unsigned char* in, uint64_t keep, unsigned char*& out) const {
        for (; keep != 0; keep &= keep - 1, out += 3) {
            memcpy(out, patterns[in[__builtin_ctzll(keep)]], 4);
        }
        return true;
    }
};

// For 64 bytes, one bit each: which are 192 or more, that is have their
// top two bits set, and (when asked for) which are 193, the run byte of a
// single copy.
struct ByteClasses {
    uint64_t high;
    uint64_t singles;
};

template <bool withSingles>
inline __attribute__((always_inline)) ByteClasses classify(const unsigned char* in) {
    ByteClasses classes{0, 0};
#if defined(__x86_64__)
    const __m128i topTwo = _mm_set1_epi8(static_cast<char>(0xC0));
    const __m128i single = _mm_set1_epi8(static_cast<char>(0xC1));
    for (int i = 0; i < 64; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const uint64_t high =
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(bytes, topTwo), topTwo));
        classes.high |= high << i;
        if (withSingles) {
            const uint64_t singles = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, single));
            classes.singles |= singles << i;
        }
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
        if (withSingles) {
            // Top bit set where the byte is zero, with no carries between
            // bytes.
            const uint64_t x = word ^ 0xC1C1C1C1C1C1C1C1ull;
            classes.singles |= gather(~(((x & lows) + lows) | x) & tops) << (i * 8);
        }
    }
#endif
    return classes;
}

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
    RunDecoder(const unsigned char* in, const unsigned char* inEnd, const std::string& fileName)
        : in(in), inEnd(inEnd), runValue(0), runLeft(0), fileName(fileName) {}

    // Decodes count bytes into out through the sink.
    template <class Sink> void fill(unsigned char* out, size_t count, const Sink& sink) {
        unsigned char* const end = out + count * Sink::unit;
        if (put(out, end, runValue, runLeft, sink)) {
            return;
        }
        while (true) {
            // Whole blocks while the file holds one and the byte after it,
            // the value of a run byte that may end the block.
            if (inEnd - in > blockSize) {
                if (fillBlock(out, end, sink)) {
                    return;
                }
                continue;
            }
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
            fill(scratch, now, ByteSink());
            count -= now;
        }
    }

private:
    static const int blockSize = 64;

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

    // The output room a packed block needs: its literals and runs, and what
    // the last store made for them writes past them.
    template <class Sink> static size_t packRoom() {
        const size_t longestStore = Sink::packReach > Sink::reach ? Sink::packReach : Sink::reach;
        return (blockSize + maxOtherRuns * maxRunLength) * Sink::unit + longestStore;
    }

    // A block whose run bytes are known, packed: the stretches of literals
    // and values of single runs between the other runs. Returns false, with
    // nothing stored, where the sink cannot pack.
    template <class Sink>
    bool packBlock(const unsigned char* block, uint64_t runs, uint64_t others, unsigned char*& out,
                   const Sink& sink) {
        // A single run at the last place is left for the next block; another
        // run there is taken, its value being the byte after the block.
        const int lastSingle = static_cast<int>((runs & ~others) >> (blockSize - 1));
        const int lastOther = static_cast<int>(others >> (blockSize - 1));
        uint64_t keep = ~runs & ~(others << 1);
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
        in = block + blockSize - lastSingle + lastOther;
        return true;
    }

    // The tokens that start in the next 64 bytes of the file. Where they are
    // comes from the bytes alone, not from decoding the token before each,
    // so that tokens do not wait on one another. Returns whether out has
    // reached end, and then leaves in after the last token used.
    template <class Sink>
    bool fillBlock(unsigned char*& out, const unsigned char* end, const Sink& sink) {
        // A copy, which the stores below cannot be taken to change.
        const unsigned char* const block = in;
        const ByteClasses classes = classify<Sink::packs>(block);
        const uint64_t runs = runBytes(classes.high);
        // A run byte at the last place has its value in the next block.
        const int lastIsRun = static_cast<int>(runs >> (blockSize - 1));
        // Literals and runs of one copy, as noisy pictures are made of, with
        // few other runs: the output is the block without its run bytes,
        // the other runs stored between the packed stretches.
        const uint64_t others = runs & ~classes.singles;
        if (Sink::packs && fewEnough(others) && static_cast<size_t>(end - out) > packRoom<Sink>() &&
            packBlock(block, runs, others, out, sink)) {
            return false;
        }
        // Every byte but the value of a run starts a token.
        uint64_t tokens = ~(runs << 1);
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
                in = block + at + 1 + isRun;
                return true;
            }
        }
        in = block + blockSize + lastIsRun;
        return false;
    }

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
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    // The file holds the top row first.
    auto rowOut = [&](int row) { return pixels + (height - 1 - row) * rowBytes; };
    if (bitCount == 8) {
        unsigned char patterns[256][PaletteSink::reach];
        for (int i = 0; i < 256; ++i) {
            for (size_t k = 0; k < PaletteSink::reach; ++k) {
                patterns[i][k] = palette[i * 3 + k % 3];
            }
        }
        const PaletteSink sink{patterns};
        for (int row = 0; row < height; ++row) {
            decoder.fill(rowOut(row), width, sink);
            // Bytes past those the row's pixels need are filler.
            decoder.skip(bytesPerLine - width);
        }
        return;
    }
    std::vector<unsigned char> line(lineBytes);
    for (int row = 0; row < height; ++row) {
        decoder.fill(line.data(), lineBytes, ByteSink());
        // Bytes past those the row's pixels need are filler and dropped.
        if (bitCount == 24) {
            const unsigned char* planes[3] = {line.data(), line.data() + bytesPerLine,
                                              line.data() + 2 * bytesPerLine};
            interleave(planes, rowOut(row), width, order);
        } else {
            expandBitPlanes(line.data(), bytesPerLine, planes, palette.data(), rowOut(row), width);
        }
    }
}

ImagePCX::~ImagePCX() {}
