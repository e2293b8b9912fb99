// Truncated, inconsistent and lying files: every one is refused with a
// message and nothing is read, written or allocated beyond what the file
// backs (the sanitizer build checks the reads and writes).

#include "assets/ImagePCX.h"
#include "assets/ImageTGA.h"

#include "ImageBytes.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>

namespace {

struct Sample {
    const char* what;
    Bytes file;
};

TgaHeader withMap(TgaHeader h, int idLength) {
    h.idLength = idLength;
    h.mapType = 1;
    h.mapLength = 3;
    h.mapEntrySize = 24;
    return h;
}

std::vector<Sample> tgaSamples() {
    const Bytes map = repeat({10, 20, 30}, 3);
    return {
        {"raw 24", tgaHeader(tgaOf(2, 3, 2, 24)) + repeat({1, 2, 3}, 6)},
        {"raw 16", tgaHeader(tgaOf(2, 3, 2, 16)) + repeat({0x12, 0x34}, 6)},
        {"raw 32 with id",
         [] {
             TgaHeader h = tgaOf(2, 2, 2, 32);
             h.idLength = 2;
             return tgaHeader(h) + Bytes{'i', 'd'} + repeat({1, 2, 3, 4}, 4);
         }()},
        {"mapped",
         tgaHeader(withMap(tgaOf(1, 3, 2, 8), 1)) + Bytes{'x'} + map + Bytes{0, 1, 2, 2, 1, 0}},
        {"mapped rle",
         tgaHeader(withMap(tgaOf(9, 3, 2, 8), 0)) + map + Bytes{0x82, 1, 0x02, 0, 1, 2}},
        {"grey 8", tgaHeader(tgaOf(3, 3, 2, 8)) + Bytes{1, 2, 3, 4, 5, 6}},
        {"grey 16", tgaHeader(tgaOf(3, 3, 1, 16)) + Bytes{1, 2, 3, 4, 5, 6}},
        {"rle 24", tgaHeader(tgaOf(10, 3, 2, 24)) + Bytes{0x01, 1, 2, 3, 4, 5, 6, 0x83, 7, 8, 9}},
        {"rle 16", tgaHeader(tgaOf(10, 2, 2, 16)) + Bytes{0x83, 0xFF, 0x7F}},
        {"rle 32", tgaHeader(tgaOf(10, 3, 1, 32)) + Bytes{0x00, 1, 2, 3, 4, 0x81, 5, 6, 7, 8}},
        {"rle grey", tgaHeader(tgaOf(11, 4, 1, 16)) + Bytes{0x81, 1, 2, 0x01, 3, 4, 5, 6}},
    };
}

std::vector<Sample> pcxSamples() {
    return {
        {"24 bit",
         pcxHeader(pcxOf(8, 3, 3, 2)) + Bytes{0xC4, 9, 1, 2, 0xC5, 200, 3, 4, 5, 6, 7, 8, 9}},
        {"8 bit", pcxHeader(pcxOf(8, 1, 3, 2)) + Bytes{1, 0xC3, 2, 3, 4} + pcxPalette()},
        {"4 planes", pcxHeader(pcxOf(1, 4, 9, 2)) + Bytes{0xC9, 0x55, 0x80, 1, 2, 3, 4, 5, 6}},
        {"1 bit", pcxHeader(pcxOf(1, 1, 10, 2)) + Bytes{0xC3, 0xAA, 0x01}},
    };
}

// Each at every vector level, checked against the portable decoder.
std::string decodeTgaMessage(const Bytes& bytes) {
    return refusalOf([&] { decodeAtEveryLevel<ImageTGA>(bufferOf(bytes)); });
}

std::string decodePcxMessage(const Bytes& bytes) {
    return refusalOf([&] { decodeAtEveryLevel<ImagePCX>(bufferOf(bytes, "test.pcx")); });
}

Bytes prefix(const Bytes& file, size_t length) {
    return Bytes(file.begin(), file.begin() + length);
}

} // namespace

TEST(ImageLimitsTest, TgaCutAtEveryByteIsRefused) {
    for (const Sample& s : tgaSamples()) {
        SCOPED_TRACE(s.what);
        ASSERT_EQ(decodeTgaMessage(s.file), "(accepted)");
        // Bytes after the image (a footer, say) are no harm.
        EXPECT_EQ(decodeTgaMessage(s.file + Bytes(30, 0xFF)), "(accepted)");

        // A cut in the ID field or the map is a cut map when there is one.
        size_t mapEnd = 0;
        if (s.file[1] != 0) {
            mapEnd = 18 + s.file[0] + (s.file[7] / 8) * (s.file[5] | s.file[6] << 8);
        }
        for (size_t length = 0; length < s.file.size(); ++length) {
            const char* expected = length < 18       ? "Truncated image header"
                                   : length < mapEnd ? "Truncated colour map"
                                                     : "Truncated image data";
            EXPECT_EQ(decodeTgaMessage(prefix(s.file, length)), expected) << length << " bytes";
        }
    }
}

TEST(ImageLimitsTest, PcxCutAtEveryByteIsRefused) {
    for (const Sample& s : pcxSamples()) {
        SCOPED_TRACE(s.what);
        ::testing::internal::CaptureStderr();
        ASSERT_EQ(decodePcxMessage(s.file), "(accepted)");
        bool eightBit = s.file[3] == 8 && s.file[65] == 1;
        for (size_t length = 0; length < s.file.size(); ++length) {
            std::string message = decodePcxMessage(prefix(s.file, length));
            if (length < 128) {
                EXPECT_EQ(message, "Truncated image header") << length;
            } else if (eightBit && length < 128 + 769) {
                EXPECT_EQ(message, "Missing PCX palette") << length;
            } else if (eightBit && length == s.file.size() - 1) {
                // Without its last byte the palette moves up over the marker
                // byte: a file with no marker, decoded after the warning.
                EXPECT_EQ(message, "(accepted)") << length;
            } else {
                EXPECT_EQ(message, "Truncated image data") << length;
            }
        }
        ::testing::internal::GetCapturedStderr();
    }
}

TEST(ImageLimitsTest, PacketsThatOverrunTheFileAreRefused) {
    // A literal packet of 3 pixels with one in the file; a run with no value.
    EXPECT_EQ(decodeTgaMessage(tgaHeader(tgaOf(10, 3, 1, 24)) + Bytes{0x02, 1, 2, 3}),
              "Truncated image data");
    EXPECT_EQ(decodeTgaMessage(tgaHeader(tgaOf(11, 3, 1, 8)) + Bytes{0x81, 1, 0x80}),
              "Truncated image data");
    EXPECT_EQ(decodePcxMessage(pcxHeader(pcxOf(8, 3, 3, 1)) + Bytes{1, 2, 3, 0xC6}),
              "Truncated image data");
    // A packet longer than the image needs only the pixels the image takes.
    EXPECT_EQ(decodeTgaMessage(tgaHeader(tgaOf(10, 1, 1, 24)) + Bytes{0x7F, 1, 2, 3}),
              "(accepted)");
}

TEST(ImageLimitsTest, InconsistentPcxHeadersAreRefused) {
    PcxHeader backwards = pcxOf(8, 3, 1, 1);
    Bytes file = pcxHeader(backwards) + Bytes(64, 1);
    file[8] = 0; // xmax below xmin
    file[4] = 1;
    EXPECT_EQ(decodePcxMessage(file), "Bad image dimensions");

    PcxHeader narrow = pcxOf(8, 1, 5, 1);
    narrow.bytesPerLine = 4;
    EXPECT_EQ(decodePcxMessage(pcxHeader(narrow) + Bytes(8, 1) + pcxPalette()),
              "Bad bytes per line");
    narrow = pcxOf(1, 1, 17, 1);
    narrow.bytesPerLine = 2;
    EXPECT_EQ(decodePcxMessage(pcxHeader(narrow) + Bytes(8, 1)), "Bad bytes per line");
    narrow = pcxOf(8, 3, 1, 1);
    narrow.bytesPerLine = 0;
    EXPECT_EQ(decodePcxMessage(pcxHeader(narrow) + Bytes(8, 1)), "Bad bytes per line");
}

namespace {

// Files of a few dozen bytes that declare gigabytes of pixels.
std::vector<Sample> lyingFiles() {
    PcxHeader hugePcx24 = pcxOf(8, 3, 65535, 65535);
    PcxHeader hugePcx1 = pcxOf(1, 1, 65535, 65535);
    PcxHeader hugePcx8 = pcxOf(8, 1, 65535, 65535);
    return {
        {"tga raw", tgaHeader(tgaOf(2, 32767, 32767, 24)) + Bytes{1, 2}},
        {"tga rle", tgaHeader(tgaOf(10, 32767, 32767, 32)) + repeat({0xFF, 1, 2, 3, 4}, 4)},
        {"tga mapped rle", tgaHeader(withMap(tgaOf(9, 32767, 32767, 8), 0)) +
                               repeat({10, 20, 30}, 3) + repeat({0xFF, 1}, 8)},
        {"tga grey rle", tgaHeader(tgaOf(11, 32767, 32767, 16)) + repeat({0xFF, 1, 2}, 8)},
        {"pcx 24", pcxHeader(hugePcx24) + repeat({0xFF, 7}, 10)},
        {"pcx 1", pcxHeader(hugePcx1) + repeat({0xFF, 7}, 10)},
        {"pcx 8", pcxHeader(hugePcx8) + repeat({0xFF, 7}, 10) + pcxPalette()},
    };
}

// How many of the lying files were not refused for their missing data.
int lyingFilesAccepted() {
    int wrong = 0;
    for (const Sample& s : lyingFiles()) {
        bool isPcx = s.file[0] == 10 && s.file.size() >= 128;
        try {
            ImageBuffer buffer = bufferOf(s.file, isPcx ? "a.pcx" : "a.tga");
            std::unique_ptr<Image> image(isPcx ? static_cast<Image*>(new ImagePCX(buffer))
                                               : new ImageTGA(buffer));
            ++wrong;
        } catch (const ImageException& e) {
            if (std::string(e.what()) != "Truncated image data") {
                fprintf(stderr, "%s: %s\n", s.what, e.what());
                ++wrong;
            }
        } catch (const std::bad_alloc&) {
            fprintf(stderr, "%s: allocated for its declared size\n", s.what);
            ++wrong;
        }
    }
    return wrong;
}

#if defined(__SANITIZE_ADDRESS__)
#define ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ADDRESS_SANITIZER 1
#endif
#endif

#ifndef ADDRESS_SANITIZER
// Exits with the count of lying files accepted while the process has only
// 256 MB of address space beyond what it already uses.
void decodeLyingFilesWithLittleRoom() {
    long pages = 0;
    FILE* statm = fopen("/proc/self/statm", "r");
    if (statm == nullptr || fscanf(statm, "%ld", &pages) != 1) {
        _exit(100);
    }
    fclose(statm);
    rlim_t room = static_cast<rlim_t>(pages) * 4096 + (256u << 20);
    struct rlimit limit = {room, room};
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
        _exit(101);
    }
    _exit(lyingFilesAccepted());
}
#endif

} // namespace

TEST(ImageLimitsTest, DeclaredSizesTheFileCannotBackAreRefusedBeforeAllocating) {
    EXPECT_EQ(lyingFilesAccepted(), 0);
#ifndef ADDRESS_SANITIZER
    // Again in a child with little address space to spare, where any attempt
    // to allocate what the headers declare fails. (The sanitizer's shadow
    // memory needs terabytes of address space, so that build relies on its
    // fuzz run's allocation limit instead.)
    EXPECT_EXIT(decodeLyingFilesWithLittleRoom(), ::testing::ExitedWithCode(0), "");
#endif
}
