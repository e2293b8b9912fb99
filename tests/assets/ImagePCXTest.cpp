#include "assets/ImagePCX.h"
#include "support/GlewFlags.h"

#include "ImageBytes.h"

#include <memory>
#include <random>

namespace {

// Every decoding is checked at every vector level against the portable one.
std::unique_ptr<ImagePCX> decodePcx(const Bytes& bytes) {
    return decodeAtEveryLevel<ImagePCX>(bufferOf(bytes, "test.pcx"));
}

// Entry i of the default 256-colour palette of pcxPalette().
Bytes entry(int i) {
    return Bytes{static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i),
                 static_cast<unsigned char>(i / 2)};
}

// A run-length stream and the bytes it decodes to: stretches of noise
// (values of 192 and above as runs of one), noise with a run now and then,
// runs of 0 to 63, and runs of one, of values from lowest up; or only runs
// of 0 to 7. Written as one stream, so that they cross plane, line and
// filler ends anywhere; the stream may end inside its last run.
struct Stream {
    Bytes data, decoded;
};

Stream noisyStream(unsigned seed, size_t total, int lowest = 0, bool shortRunsOnly = false) {
    std::minstd_rand random(seed);
    Stream stream;
    while (stream.decoded.size() < total) {
        const int kindOfStretch = shortRunsOnly ? 2 : random() % 4;
        const int length = 1 + random() % 150;
        for (int i = 0; i < length && stream.decoded.size() < total; ++i) {
            const auto value = static_cast<unsigned char>(lowest + random() % (256 - lowest));
            if (kindOfStretch == 2 || (kindOfStretch == 1 && random() % 24 == 0)) {
                const int run = random() % (shortRunsOnly ? 8 : 64);
                stream.data.push_back(static_cast<unsigned char>(0xC0 + run));
                stream.data.push_back(value);
                stream.decoded.insert(stream.decoded.end(), run, value);
                continue;
            }
            if (kindOfStretch == 3 || value >= 192) {
                stream.data.push_back(0xC1);
            }
            stream.data.push_back(value);
            stream.decoded.push_back(value);
        }
    }
    return stream;
}

// The pixels of a picture of 8-bit indices (through pcxPalette()) or of
// 24-bit planes, from the decoded bytes of its lines, top line first.
Bytes picture(const Bytes& decoded, int planes, int width, int height, int bytesPerLine) {
    Bytes expected;
    for (int row = height - 1; row >= 0; --row) {
        const unsigned char* line = decoded.data() + row * planes * bytesPerLine;
        for (int x = 0; x < width; ++x) {
            if (planes == 1) {
                const Bytes colour = entry(line[x]);
                expected.insert(expected.end(), colour.begin(), colour.end());
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                expected.push_back(line[c * bytesPerLine + x]);
            }
        }
    }
    return expected;
}

} // namespace

TEST(ImagePCXTest, TwentyFourBitPlanesGiveChannelsBottomRowFirst) {
    // Two scan lines of red, green and blue planes, top line first.
    Bytes file = pcxHeader(pcxOf(8, 3, 2, 2)) + Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    auto image = decodePcx(file);
    EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_RGB));
    EXPECT_EQ(image->getComponents(), 3);
    EXPECT_EQ(pixelsOf(*image), (Bytes{7, 9, 11, 8, 10, 12, 1, 3, 5, 2, 4, 6}));

    ScopedGlewFlag bgra(ScopedGlewFlag::Bgra, true);
    image = decodePcx(file);
    EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_BGR_EXT));
    EXPECT_EQ(pixelsOf(*image), (Bytes{11, 9, 7, 12, 10, 8, 5, 3, 1, 6, 4, 2}));
}

TEST(ImagePCXTest, EightBitIndexesTheTrailingPalette) {
    // Indices at or above 192 can only be stored as runs of one. The last
    // entry is used mid-row and at the row's end.
    Bytes file = pcxHeader(pcxOf(8, 1, 4, 1)) + Bytes{0, 0xC1, 255, 1, 0xC1, 200} + pcxPalette();
    file[file.size() - 1] = 77;
    ::testing::internal::CaptureStderr();
    auto image = decodePcx(file);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    Bytes last{255, 0, 77};
    EXPECT_EQ(pixelsOf(*image), entry(0) + last + entry(1) + entry(200));

    ScopedGlewFlag bgra(ScopedGlewFlag::Bgra, true);
    image = decodePcx(file);
    EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_BGR_EXT));
    EXPECT_EQ(pixelsOf(*image), (Bytes{0, 255, 0, 77, 0, 255, 0, 254, 1, 100, 55, 200}));
}

TEST(ImagePCXTest, WrongPaletteMarkerWarnsAndDecodes) {
    Bytes file = pcxHeader(pcxOf(8, 1, 2, 1)) + Bytes{5, 6} + pcxPalette(0);
    ::testing::internal::CaptureStderr();
    auto image = decodePcx(file);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Warning: PCX palette should start with a value of 0x0c (12)!\n");
    EXPECT_EQ(pixelsOf(*image), entry(5) + entry(6));
}

TEST(ImagePCXTest, OneBitUsesTheFirstTwoHeaderPaletteEntries) {
    PcxHeader h = pcxOf(1, 1, 8, 1);
    h.palette16 = {0, 0, 0, 255, 255, 255};
    auto image = decodePcx(pcxHeader(h) + Bytes{0x80});
    EXPECT_EQ(pixelsOf(*image), (Bytes{255, 255, 255} + Bytes(21, 0)));

    // Most significant bit first, across a byte boundary, any two colours.
    h = pcxOf(1, 1, 10, 1);
    h.palette16 = {1, 2, 3, 4, 5, 6};
    image = decodePcx(pcxHeader(h) + Bytes{0xA5, 0x40});
    Bytes a{1, 2, 3}, b{4, 5, 6};
    EXPECT_EQ(pixelsOf(*image), b + a + b + a + a + b + a + b + a + b);
}

TEST(ImagePCXTest, FourPlanesAddUpToAHeaderPaletteIndex) {
    PcxHeader h = pcxOf(1, 4, 3, 1);
    for (int i = 0; i < 16; ++i) {
        h.palette16 = h.palette16 + Bytes{static_cast<unsigned char>(i * 10),
                                          static_cast<unsigned char>(i * 10 + 1),
                                          static_cast<unsigned char>(i * 10 + 2)};
    }
    // Pixel 0 in planes 0 and 1 (index 3), pixel 1 in planes 1 and 3 (10),
    // pixel 2 in planes 0 and 2 (5). Plane 1's byte 0xC0 must be a run.
    const Bytes planes{0xA0, 0xC1, 0xC0, 0x20, 0x40};
    auto image = decodePcx(pcxHeader(h) + planes);
    EXPECT_EQ(pixelsOf(*image), (Bytes{30, 31, 32, 100, 101, 102, 50, 51, 52}));

    ScopedGlewFlag bgra(ScopedGlewFlag::Bgra, true);
    image = decodePcx(pcxHeader(h) + planes);
    EXPECT_EQ(pixelsOf(*image), (Bytes{32, 31, 30, 102, 101, 100, 52, 51, 50}));
}

TEST(ImagePCXTest, FillerBytesAtTheEndOfAScanLineAreDropped) {
    // 3 pixels wide, 4 bytes per line; the filler is 99 and must not show.
    PcxHeader h = pcxOf(8, 1, 3, 2);
    h.bytesPerLine = 4;
    auto image = decodePcx(pcxHeader(h) + Bytes{1, 2, 3, 99, 4, 5, 6, 99} + pcxPalette());
    EXPECT_EQ(image->getWidth(), 3);
    EXPECT_EQ(pixelsOf(*image), entry(4) + entry(5) + entry(6) + entry(1) + entry(2) + entry(3));

    // The same with 24-bit planes: filler after each plane's bytes.
    h = pcxOf(8, 3, 1, 1);
    h.bytesPerLine = 2;
    image = decodePcx(pcxHeader(h) + Bytes{10, 99, 20, 99, 30, 99});
    EXPECT_EQ(pixelsOf(*image), (Bytes{10, 20, 30}));
}

TEST(ImagePCXTest, RunsCarryOnAcrossScanLinesAndPlanes) {
    // A run of two 7s starts at the last byte of the top line.
    auto image =
        decodePcx(pcxHeader(pcxOf(8, 1, 3, 2)) + Bytes{1, 2, 0xC2, 7, 8, 9} + pcxPalette());
    EXPECT_EQ(pixelsOf(*image), entry(7) + entry(8) + entry(9) + entry(1) + entry(2) + entry(7));

    // A run of three 50s covers the red plane's last byte and the green plane.
    image = decodePcx(pcxHeader(pcxOf(8, 3, 2, 1)) + Bytes{40, 0xC3, 50, 60, 61});
    EXPECT_EQ(pixelsOf(*image), (Bytes{40, 50, 60, 50, 50, 61}));
}

TEST(ImagePCXTest, RunOfNoCopiesIsSkipped) {
    auto image = decodePcx(pcxHeader(pcxOf(8, 1, 3, 1)) + Bytes{1, 0xC0, 55, 2, 3} + pcxPalette());
    EXPECT_EQ(pixelsOf(*image), entry(1) + entry(2) + entry(3));
}

TEST(ImagePCXTest, SizeComesFromTheWindowCorners) {
    PcxHeader h = pcxOf(8, 3, 2, 1);
    h.xmin = 300;
    h.ymin = 7;
    auto image = decodePcx(pcxHeader(h) + Bytes{1, 2, 3, 4, 5, 6});
    EXPECT_EQ(image->getWidth(), 2);
    EXPECT_EQ(image->getHeight(), 1);
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 3, 5, 2, 4, 6}));
}

TEST(ImagePCXTest, HeaderRefusals) {
    Bytes data(64, 1);
    PcxHeader h = pcxOf(8, 3, 2, 1);
    h.manufacturer = 5;
    EXPECT_EQ(refusalOf([&] { decodePcx(pcxHeader(h) + data); }), "Bad version number");

    // Only four 1-bit planes make 4 bits, and only 8-bit planes make 8 and 24.
    int arrangements[][2] = {{2, 1}, {4, 1},  {1, 2}, {1, 3},  {2, 2}, {8, 2},
                             {8, 4}, {24, 1}, {0, 0}, {16, 1}, {1, 8}, {8, 0}};
    for (auto& a : arrangements) {
        EXPECT_EQ(refusalOf([&] { decodePcx(pcxHeader(pcxOf(a[0], a[1], 2, 1)) + data); }),
                  "Unhandled PCX format (bad bitcount)")
            << a[0] << " bits x " << a[1] << " planes";
    }
}

TEST(ImagePCXTest, LongLinesOfEveryTokenDecodeAsWritten) {
    // Two lines wide enough to be decoded many tokens at a time: literals,
    // and runs of every length from none to 63, of values below and above
    // 192, one of them carrying over the line end.
    const int width = 2000;
    Bytes data, indices;
    for (int i = 0, longRun = 0; indices.size() < 2u * width; ++i) {
        const int value = (i * 37) % 256;
        if (i % 3 == 0 && value < 192) {
            data = data + Bytes{static_cast<unsigned char>(value)};
            indices.push_back(static_cast<unsigned char>(value));
            continue;
        }
        const int length = i % 3 == 1 ? longRun++ % 64 : i % 10;
        data = data +
               Bytes{static_cast<unsigned char>(0xC0 + length), static_cast<unsigned char>(value)};
        indices.insert(indices.end(), length, static_cast<unsigned char>(value));
    }
    auto image = decodePcx(pcxHeader(pcxOf(8, 1, width, 2)) + data + pcxPalette());
    Bytes expected;
    for (int row : {1, 0}) {
        for (int x = 0; x < width; ++x) {
            expected = expected + entry(indices[row * width + x]);
        }
    }
    EXPECT_EQ(pixelsOf(*image), expected);
}

TEST(ImagePCXTest, LongNoisyLinesDecodeAsWritten) {
    // Lines long enough to be decoded many file bytes at a time: stretches
    // of noise (values of 192 and above as runs of one), runs of 0 to 63
    // and of one, all written as one stream so that they cross plane, line
    // and filler ends anywhere. Planes and 8-bit indices, with and without
    // filler.
    const struct {
        int planes, width, bytesPerLine;
    } kinds[] = {{1, 700, 700}, {1, 700, 705}, {3, 700, 700}, {3, 701, 702}};
    for (const auto& kind : kinds) {
        const int height = 12;
        const Stream stream =
            noisyStream(kind.planes * 1000 + kind.bytesPerLine,
                        static_cast<size_t>(kind.bytesPerLine) * kind.planes * height);
        PcxHeader h = pcxOf(8, kind.planes, kind.width, height);
        h.bytesPerLine = kind.bytesPerLine;
        Bytes file = pcxHeader(h) + stream.data;
        if (kind.planes == 1) {
            file = file + pcxPalette();
        }
        EXPECT_EQ(pixelsOf(*decodePcx(file)),
                  picture(stream.decoded, kind.planes, kind.width, height, kind.bytesPerLine))
            << kind.planes << " planes, " << kind.width << " wide, " << kind.bytesPerLine
            << " bytes per line";
    }
}

TEST(ImagePCXTest, LongBitPlaneLinesDecodeAsWritten) {
    // Noise in one and in four 1-bit planes, in lines long enough to be
    // decoded many file bytes at a time, with filler after each plane.
    const int width = 1500, height = 10, bytesPerLine = 190;
    for (int planes : {1, 4}) {
        PcxHeader h = pcxOf(1, planes, width, height);
        h.bytesPerLine = bytesPerLine;
        for (int i = 0; i < 16; ++i) {
            h.palette16 = h.palette16 + Bytes{static_cast<unsigned char>(i * 16),
                                              static_cast<unsigned char>(255 - i * 16),
                                              static_cast<unsigned char>(i * 5)};
        }
        const Stream stream = noisyStream(planes * 31, size_t{bytesPerLine} * planes * height);
        Bytes expected;
        for (int row = height - 1; row >= 0; --row) {
            const unsigned char* line = stream.decoded.data() + row * planes * bytesPerLine;
            for (int x = 0; x < width; ++x) {
                int index = 0;
                for (int plane = 0; plane < planes; ++plane) {
                    index |= (line[plane * bytesPerLine + x / 8] >> (7 - x % 8) & 1) << plane;
                }
                expected.insert(expected.end(), h.palette16.begin() + index * 3,
                                h.palette16.begin() + index * 3 + 3);
            }
        }
        EXPECT_EQ(pixelsOf(*decodePcx(pcxHeader(h) + stream.data)), expected)
            << planes << " planes";
    }
}

TEST(ImagePCXTest, EveryVectorLevelDecodesAlike) {
    // The portable decoder, 16-byte shuffles and 64-byte vectors (as far as
    // this processor has them) on pictures that take each one's paths:
    // lines of noise ending mid-block, rows of one token each, the
    // palette's last entries alone, short runs up to the ends of lines,
    // planes with filler, in both channel orders; and files holding half
    // the data, cut in a token.
    const struct {
        int planes, width, height, bytesPerLine, lowest;
        bool shortRunsOnly, cut;
    } kinds[] = {
        {1, 1000, 6, 1000, 0, false, false},   {1, 97, 40, 98, 0, false, false},
        {1, 63, 90, 63, 128, false, false},    {1, 700, 8, 700, 240, false, false},
        {1, 1000, 40, 1000, 0, true, false},   {3, 333, 9, 334, 0, false, false},
        {3, 1024, 4, 1024, 200, false, false}, {3, 1001, 30, 1002, 0, true, false},
        {1, 1000, 6, 1000, 0, false, true},    {3, 700, 8, 700, 0, false, true},
    };
    for (const auto& kind : kinds) {
        const size_t total = static_cast<size_t>(kind.bytesPerLine) * kind.planes * kind.height;
        Stream stream = noisyStream(kind.width * 7 + kind.lowest, kind.cut ? total / 2 : total,
                                    kind.lowest, kind.shortRunsOnly);
        if (kind.cut) {
            stream.data.pop_back();
        }
        PcxHeader h = pcxOf(8, kind.planes, kind.width, kind.height);
        h.bytesPerLine = kind.bytesPerLine;
        Bytes file = pcxHeader(h) + stream.data;
        if (kind.planes == 1) {
            file = file + pcxPalette();
        }
        for (bool bgra : {false, true}) {
            ScopedGlewFlag flag(ScopedGlewFlag::Bgra, bgra);
            Bytes expected = kind.cut ? Bytes()
                                      : picture(stream.decoded, kind.planes, kind.width,
                                                kind.height, kind.bytesPerLine);
            for (size_t i = 0; bgra && i < expected.size(); i += 3) {
                std::swap(expected[i], expected[i + 2]);
            }
            const std::string where = std::to_string(kind.planes) + " planes, " +
                                      std::to_string(kind.width) + " wide" +
                                      (bgra ? ", BGR" : ", RGB");
            if (kind.cut) {
                EXPECT_EQ(refusalOf([&] { decodePcx(file); }), "Truncated image data") << where;
                continue;
            }
            EXPECT_EQ(pixelsOf(*decodePcx(file)), expected) << where;
        }
    }
}
