#include "assets/ImagePCX.h"
#include "support/GlewFlags.h"

#include "ImageBytes.h"

#include <memory>
#include <random>

namespace {

std::unique_ptr<ImagePCX> decodePcx(const Bytes& bytes) {
    return std::unique_ptr<ImagePCX>(new ImagePCX(bufferOf(bytes, "test.pcx")));
}

// Entry i of the default 256-colour palette of pcxPalette().
Bytes entry(int i) {
    return Bytes{static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i),
                 static_cast<unsigned char>(i / 2)};
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
        std::minstd_rand random(kind.planes * 1000 + kind.bytesPerLine);
        Bytes decoded, data;
        const size_t total = static_cast<size_t>(kind.bytesPerLine) * kind.planes * height;
        while (decoded.size() < total) {
            // Noise, noise with a run now and then, runs, runs of one.
            const int kindOfStretch = random() % 4;
            const int length = 1 + random() % 150;
            for (int i = 0; i < length && decoded.size() < total; ++i) {
                const auto value = static_cast<unsigned char>(random());
                if (kindOfStretch == 2 || (kindOfStretch == 1 && random() % 24 == 0)) {
                    // The stream may end inside the last run.
                    const int run = random() % 64;
                    data = data + Bytes{static_cast<unsigned char>(0xC0 + run), value};
                    decoded.insert(decoded.end(), run, value);
                    continue;
                }
                if (kindOfStretch == 3 || value >= 192) {
                    data = data + Bytes{0xC1};
                }
                data.push_back(value);
                decoded.push_back(value);
            }
        }
        PcxHeader h = pcxOf(8, kind.planes, kind.width, height);
        h.bytesPerLine = kind.bytesPerLine;
        Bytes file = pcxHeader(h) + data;
        if (kind.planes == 1) {
            file = file + pcxPalette();
        }
        Bytes expected;
        for (int row = height - 1; row >= 0; --row) {
            const unsigned char* line = decoded.data() + row * kind.planes * kind.bytesPerLine;
            for (int x = 0; x < kind.width; ++x) {
                if (kind.planes == 1) {
                    expected = expected + entry(line[x]);
                    continue;
                }
                for (int c = 0; c < 3; ++c) {
                    expected.push_back(line[c * kind.bytesPerLine + x]);
                }
            }
        }
        EXPECT_EQ(pixelsOf(*decodePcx(file)), expected)
            << kind.planes << " planes, " << kind.width << " wide, " << kind.bytesPerLine
            << " bytes per line";
    }
}
