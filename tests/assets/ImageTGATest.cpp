#include "assets/ImageTGA.h"
#include "support/GlewFlags.h"

#include "ImageBytes.h"

#include <algorithm>
#include <memory>

namespace {

// Every decoding is checked at every vector level against the portable one.
std::unique_ptr<ImageTGA> decodeTga(const Bytes& bytes) {
    return decodeAtEveryLevel<ImageTGA>(bufferOf(bytes));
}

} // namespace

TEST(ImageTGATest, TrueColourFollowsTheChannelTable) {
    Bytes rgb24 = tgaHeader(tgaOf(2, 1, 1, 24)) + Bytes{10, 20, 30};
    Bytes rgba32 = tgaHeader(tgaOf(2, 1, 1, 32)) + Bytes{10, 20, 30, 40};
    {
        auto image = decodeTga(rgb24);
        EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_RGB));
        EXPECT_EQ(image->getComponents(), 3);
        EXPECT_EQ(pixelsOf(*image), (Bytes{30, 20, 10}));
        image = decodeTga(rgba32);
        EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_RGBA));
        EXPECT_EQ(image->getComponents(), 4);
        EXPECT_EQ(pixelsOf(*image), (Bytes{30, 20, 10, 40}));
    }
    {
        ScopedGlewFlag bgra(ScopedGlewFlag::Bgra, true);
        auto image = decodeTga(rgb24);
        EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_BGR_EXT));
        EXPECT_EQ(pixelsOf(*image), (Bytes{10, 20, 30}));
        image = decodeTga(rgba32);
        EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_BGRA_EXT));
        EXPECT_EQ(pixelsOf(*image), (Bytes{10, 20, 30, 40}));
    }
}

TEST(ImageTGATest, SixteenBitPixelsExpandToEightBitChannels) {
    // Low byte first; the top bit is not alpha here and is ignored.
    Bytes file = tgaHeader(tgaOf(2, 5, 1, 16)) +
                 Bytes{0xFF, 0x7F, 0x00, 0x80, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00};
    auto image = decodeTga(file);
    EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_RGB));
    EXPECT_EQ(image->getComponents(), 3);
    EXPECT_EQ(pixelsOf(*image), (Bytes{248, 248, 248, 0, 0, 0, 248, 0, 0, 0, 248, 0, 0, 0, 248}));

    ScopedGlewFlag bgra(ScopedGlewFlag::Bgra, true);
    image = decodeTga(file);
    EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_BGR_EXT));
    EXPECT_EQ(pixelsOf(*image), (Bytes{248, 248, 248, 0, 0, 0, 0, 0, 248, 0, 248, 0, 248, 0, 0}));
}

TEST(ImageTGATest, RowsAreKeptInFileOrderWhateverTheOrigin) {
    // Three rows of one pixel: the first stored row becomes the bottom row,
    // and a top-left origin does not flip them.
    for (int descriptor : {0x00, 0x20}) {
        TgaHeader h = tgaOf(2, 1, 3, 24);
        h.descriptor = descriptor;
        auto image = decodeTga(tgaHeader(h) + Bytes{1, 1, 1, 2, 2, 2, 3, 3, 3});
        EXPECT_EQ(pixelsOf(*image), (Bytes{1, 1, 1, 2, 2, 2, 3, 3, 3})) << descriptor;
    }
}

TEST(ImageTGATest, IdFieldIsSkipped) {
    TgaHeader h = tgaOf(2, 1, 1, 24);
    h.idLength = 3;
    auto image = decodeTga(tgaHeader(h) + Bytes{'a', 'b', 'c', 1, 2, 3});
    EXPECT_EQ(pixelsOf(*image), (Bytes{3, 2, 1}));
}

TEST(ImageTGATest, RunLengthPacketsRunAcrossRowEnds) {
    // 3 x 2 pixels: a literal packet of two, then a run of three that ends
    // on the next row, then a literal of one.
    Bytes raw = tgaHeader(tgaOf(2, 3, 2, 24)) +
                Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 7, 8, 9, 7, 8, 9, 10, 11, 12};
    Bytes rle = tgaHeader(tgaOf(10, 3, 2, 24)) +
                Bytes{0x01, 1, 2, 3, 4, 5, 6, 0x82, 7, 8, 9, 0x00, 10, 11, 12};
    EXPECT_EQ(pixelsOf(*decodeTga(rle)), pixelsOf(*decodeTga(raw)));
    EXPECT_EQ(pixelsOf(*decodeTga(rle)),
              (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 9, 8, 7, 9, 8, 7, 12, 11, 10}));
}

TEST(ImageTGATest, PacketsBeyondTheLastPixelAreDropped) {
    // A run of 128 into a 2-pixel image, and a literal of 4 into 3 pixels.
    auto image = decodeTga(tgaHeader(tgaOf(10, 2, 1, 32)) + Bytes{0xFF, 1, 2, 3, 4});
    EXPECT_EQ(pixelsOf(*image), (Bytes{3, 2, 1, 4, 3, 2, 1, 4}));
    image = decodeTga(tgaHeader(tgaOf(11, 3, 1, 8)) + Bytes{0x03, 5, 6, 7, 8});
    EXPECT_EQ(pixelsOf(*image), (Bytes{5, 6, 7}));
}

TEST(ImageTGATest, TypeZeroHoldsNoPixels) {
    auto image = decodeTga(tgaHeader(tgaOf(0, 4, 3, 24)));
    EXPECT_EQ(image->getWidth(), 4);
    EXPECT_EQ(image->getHeight(), 3);
    EXPECT_EQ(image->getComponents(), 0);
    EXPECT_EQ(image->getFormat(), 0u);
    EXPECT_EQ(image->getPixels(), nullptr);
}

TEST(ImageTGATest, UnknownTypesAreRefused) {
    for (int type : {4, 5, 6, 7, 8, 12, 32, 33, 255}) {
        EXPECT_EQ(refusalOf([&] {
                      decodeTga(tgaHeader(tgaOf(type, 1, 1, 24)) + Bytes{1, 2, 3});
                  }),
                  "Unknown TGA image type")
            << type;
    }
}

namespace {

// A 3-entry colour map (B,G,R per entry) and two pixels using entries 2, 0.
TgaHeader mapped(int type) {
    TgaHeader h = tgaOf(type, 2, 1, 8);
    h.mapType = 1;
    h.mapLength = 3;
    h.mapEntrySize = 24;
    return h;
}
const Bytes colourMap{1, 2, 3, 4, 5, 6, 7, 8, 9};

} // namespace

TEST(ImageTGATest, ColourMappedPixelsLookUpTheMap) {
    Bytes raw = tgaHeader(mapped(1)) + colourMap + Bytes{2, 0};
    Bytes rle = tgaHeader(mapped(9)) + colourMap + Bytes{0x01, 2, 0};
    Bytes runs = tgaHeader(mapped(9)) + colourMap + Bytes{0x80, 2, 0x80, 0};
    for (const Bytes* file : {&raw, &rle, &runs}) {
        auto image = decodeTga(*file);
        EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_RGB));
        EXPECT_EQ(pixelsOf(*image), (Bytes{9, 8, 7, 3, 2, 1}));
    }
    ScopedGlewFlag bgra(ScopedGlewFlag::Bgra, true);
    auto image = decodeTga(raw);
    EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_BGR_EXT));
    EXPECT_EQ(pixelsOf(*image), (Bytes{7, 8, 9, 1, 2, 3}));
}

TEST(ImageTGATest, FirstMapEntryFieldDoesNotShiftIndices) {
    TgaHeader h = mapped(1);
    h.mapFirst = 1;
    EXPECT_EQ(pixelsOf(*decodeTga(tgaHeader(h) + colourMap + Bytes{2, 0})),
              (Bytes{9, 8, 7, 3, 2, 1}));
}

TEST(ImageTGATest, ColourMapOfATrueColourImageIsSkipped) {
    TgaHeader h = tgaOf(2, 1, 1, 24);
    h.idLength = 1;
    h.mapType = 1;
    h.mapLength = 2;
    h.mapEntrySize = 16;
    auto image = decodeTga(tgaHeader(h) + Bytes{'x', 0xEE, 0xEE, 0xEE, 0xEE, 1, 2, 3});
    EXPECT_EQ(pixelsOf(*image), (Bytes{3, 2, 1}));
}

TEST(ImageTGATest, GreyscaleIsCopiedAsIs) {
    struct Case {
        Bytes file;
        GLenum format;
        int components;
        Bytes pixels;
    } cases[] = {
        {tgaHeader(tgaOf(3, 3, 1, 8)) + Bytes{0, 128, 255}, GL_LUMINANCE, 1, {0, 128, 255}},
        {tgaHeader(tgaOf(3, 2, 1, 16)) + Bytes{10, 20, 30, 40},
         GL_LUMINANCE_ALPHA,
         2,
         {10, 20, 30, 40}},
        {tgaHeader(tgaOf(11, 3, 1, 8)) + Bytes{0x81, 7, 0x00, 9}, GL_LUMINANCE, 1, {7, 7, 9}},
        {tgaHeader(tgaOf(11, 3, 1, 16)) + Bytes{0x00, 1, 2, 0x81, 3, 4},
         GL_LUMINANCE_ALPHA,
         2,
         {1, 2, 3, 4, 3, 4}},
    };
    for (bool bgra : {false, true}) {
        ScopedGlewFlag flag(ScopedGlewFlag::Bgra, bgra);
        for (const Case& c : cases) {
            auto image = decodeTga(c.file);
            EXPECT_EQ(image->getFormat(), c.format);
            EXPECT_EQ(image->getComponents(), c.components);
            EXPECT_EQ(pixelsOf(*image), c.pixels);
        }
    }
}

TEST(ImageTGATest, RunLengthTrueColourOfEveryDepth) {
    auto image =
        decodeTga(tgaHeader(tgaOf(10, 3, 1, 16)) + Bytes{0x81, 0x00, 0x7C, 0x00, 0xE0, 0x03});
    EXPECT_EQ(pixelsOf(*image), (Bytes{248, 0, 0, 248, 0, 0, 0, 248, 0}));
    image = decodeTga(tgaHeader(tgaOf(10, 2, 1, 32)) + Bytes{0x01, 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(pixelsOf(*image), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));

    ScopedGlewFlag bgra(ScopedGlewFlag::Bgra, true);
    image = decodeTga(tgaHeader(tgaOf(10, 2, 1, 32)) + Bytes{0x81, 1, 2, 3, 4});
    EXPECT_EQ(image->getFormat(), static_cast<GLenum>(GL_BGRA_EXT));
    EXPECT_EQ(pixelsOf(*image), (Bytes{1, 2, 3, 4, 1, 2, 3, 4}));
}

TEST(ImageTGATest, ColourMapRefusals) {
    TgaHeader noMap = mapped(1);
    noMap.mapType = 0;
    EXPECT_EQ(refusalOf([&] { decodeTga(tgaHeader(noMap) + Bytes{0, 0}); }), "Missing colour map");

    for (int entrySize : {15, 16, 32}) {
        TgaHeader h = mapped(9);
        h.mapEntrySize = entrySize;
        EXPECT_EQ(refusalOf([&] {
                      decodeTga(tgaHeader(h) + Bytes(12, 0) + Bytes{1, 0});
                  }),
                  "Unsupported colour map entry size")
            << entrySize;
    }
    TgaHeader negative = mapped(1);
    negative.mapLength = 0x8000;
    EXPECT_EQ(refusalOf([&] {
                  decodeTga(tgaHeader(negative) + colourMap + Bytes{0, 0});
              }),
              "Bad colour map length");
    EXPECT_EQ(refusalOf([&] {
                  decodeTga(tgaHeader(mapped(1)) + Bytes{1, 2, 3, 4});
              }),
              "Truncated colour map");

    // Index 3 is one past a 3-entry map, in raw data, a literal packet and a run.
    EXPECT_EQ(refusalOf([&] {
                  decodeTga(tgaHeader(mapped(1)) + colourMap + Bytes{0, 3});
              }),
              "Colour index outside the colour map");
    EXPECT_EQ(refusalOf([&] {
                  decodeTga(tgaHeader(mapped(9)) + colourMap + Bytes{1, 0, 3});
              }),
              "Colour index outside the colour map");
    EXPECT_EQ(refusalOf([&] {
                  decodeTga(tgaHeader(mapped(9)) + colourMap + Bytes{0x81, 255});
              }),
              "Colour index outside the colour map");
}

TEST(ImageTGATest, DepthAndSizeRefusals) {
    // Depths that hold no pixels this decoder knows.
    int unsupported[][2] = {{2, 8}, {2, 15}, {2, 0}, {10, 8}, {10, 33}, {1, 16}, {9, 24}};
    for (auto& c : unsupported) {
        TgaHeader h = mapped(c[0]);
        h.depth = c[1];
        EXPECT_EQ(refusalOf([&] { decodeTga(tgaHeader(h) + colourMap + Bytes(16, 0)); }),
                  "Unsupported TGA pixel depth")
            << "type " << c[0] << " depth " << c[1];
    }
    for (auto size : {std::pair<int, int>{0, 1}, {1, 0}, {0xFFFF, 1}, {1, 0x8000}}) {
        EXPECT_EQ(refusalOf([&] {
                      decodeTga(tgaHeader(tgaOf(2, size.first, size.second, 24)) + Bytes(16, 0));
                  }),
                  "Bad image dimensions");
    }
}

TEST(ImageTGATest, LongRowsKeepTheChannelTableToTheLastPixel) {
    // 23 pixels: whole blocks of four and a remainder, raw and as literal
    // packets, so that every pixel of a long row is checked, not only the
    // few of the small cases above.
    for (int depth : {24, 32}) {
        const int size = depth / 8;
        Bytes data;
        for (int i = 0; i < 23 * size; ++i) {
            data.push_back(static_cast<unsigned char>(i * 7 + 1));
        }
        Bytes raw = tgaHeader(tgaOf(2, 23, 1, depth)) + data;
        Bytes rle = tgaHeader(tgaOf(10, 23, 1, depth)) + Bytes{22} + data;
        for (bool bgra : {false, true}) {
            ScopedGlewFlag flag(ScopedGlewFlag::Bgra, bgra);
            Bytes expected = data;
            for (size_t p = 0; !bgra && p < expected.size(); p += size) {
                std::swap(expected[p], expected[p + 2]);
            }
            EXPECT_EQ(pixelsOf(*decodeTga(raw)), expected) << depth << " raw, bgra " << bgra;
            EXPECT_EQ(pixelsOf(*decodeTga(rle)), expected) << depth << " rle, bgra " << bgra;
        }
    }
}

TEST(ImageTGATest, RunsOfEveryLengthAndDepthRepeatTheirPixel) {
    // Enough packets for most of them to be taken far from both ends of the
    // file and the picture, where whole packets are stored without checks
    // of their own: runs of 1 to 128 between literal packets of 1 to 128,
    // crossing row ends, the last packet ending the image, in both channel
    // orders.
    const int width = 300, height = 24;
    const struct {
        int type, depth;
        bool swap; // B,G,R(,A) in the file, R,G,B(,A) out without EXT_bgra
    } kinds[] = {{11, 8, false}, {11, 16, false}, {10, 24, true}, {10, 32, true}};
    for (const auto& kind : kinds) {
        for (bool bgra : {false, true}) {
            ScopedGlewFlag flag(ScopedGlewFlag::Bgra, bgra);
            const int size = kind.depth / 8;
            Bytes data, expected;
            auto pixel = [&](int seed, int times) {
                Bytes in;
                for (int c = 0; c < size; ++c) {
                    in.push_back(static_cast<unsigned char>(seed * 31 + c * 85));
                }
                data.insert(data.end(), in.begin(), in.end());
                if (kind.swap && !bgra) {
                    std::swap(in[0], in[2]);
                }
                for (int k = 0; k < times; ++k) {
                    expected.insert(expected.end(), in.begin(), in.end());
                }
            };
            for (int i = 0, done = 0; done < width * height; ++i) {
                const bool run = i % 2 == 0;
                const int count = std::min(1 + (i * (run ? 37 : 53)) % 128, width * height - done);
                data.push_back(static_cast<unsigned char>((run ? 0x80 : 0) | (count - 1)));
                for (int k = 0; k < (run ? 1 : count); ++k) {
                    pixel(i + k, run ? count : 1);
                }
                done += count;
            }
            auto image = decodeTga(tgaHeader(tgaOf(kind.type, width, height, kind.depth)) + data);
            EXPECT_EQ(pixelsOf(*image), expected) << kind.depth << "-bit, bgra " << bgra;
        }
    }
}
