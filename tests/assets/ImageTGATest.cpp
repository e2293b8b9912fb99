#include "assets/ImageTGA.h"
#include "support/GlewFlags.h"

#include "ImageBytes.h"

#include <memory>

namespace {

std::unique_ptr<ImageTGA> decodeTga(const Bytes& bytes) {
    return std::unique_ptr<ImageTGA>(new ImageTGA(bufferOf(bytes)));
}

TgaHeader header(int type, int width, int height, int depth) {
    TgaHeader h;
    h.type = type;
    h.width = width;
    h.height = height;
    h.depth = depth;
    return h;
}

} // namespace

TEST(ImageTGATest, TrueColourFollowsTheChannelTable) {
    Bytes rgb24 = tgaHeader(header(2, 1, 1, 24)) + Bytes{10, 20, 30};
    Bytes rgba32 = tgaHeader(header(2, 1, 1, 32)) + Bytes{10, 20, 30, 40};
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
    Bytes file = tgaHeader(header(2, 5, 1, 16)) +
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
        TgaHeader h = header(2, 1, 3, 24);
        h.descriptor = descriptor;
        auto image = decodeTga(tgaHeader(h) + Bytes{1, 1, 1, 2, 2, 2, 3, 3, 3});
        EXPECT_EQ(pixelsOf(*image), (Bytes{1, 1, 1, 2, 2, 2, 3, 3, 3})) << descriptor;
    }
}

TEST(ImageTGATest, IdFieldIsSkipped) {
    TgaHeader h = header(2, 1, 1, 24);
    h.idLength = 3;
    auto image = decodeTga(tgaHeader(h) + Bytes{'a', 'b', 'c', 1, 2, 3});
    EXPECT_EQ(pixelsOf(*image), (Bytes{3, 2, 1}));
}

TEST(ImageTGATest, RunLengthPacketsRunAcrossRowEnds) {
    // 3 x 2 pixels: a literal packet of two, then a run of three that ends
    // on the next row, then a literal of one.
    Bytes raw = tgaHeader(header(2, 3, 2, 24)) +
                Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 7, 8, 9, 7, 8, 9, 10, 11, 12};
    Bytes rle = tgaHeader(header(10, 3, 2, 24)) +
                Bytes{0x01, 1, 2, 3, 4, 5, 6, 0x82, 7, 8, 9, 0x00, 10, 11, 12};
    EXPECT_EQ(pixelsOf(*decodeTga(rle)), pixelsOf(*decodeTga(raw)));
    EXPECT_EQ(pixelsOf(*decodeTga(rle)),
              (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 9, 8, 7, 9, 8, 7, 12, 11, 10}));
}

TEST(ImageTGATest, PacketsBeyondTheLastPixelAreDropped) {
    // A run of 128 into a 2-pixel image, and a literal of 4 into 3 pixels.
    auto image = decodeTga(tgaHeader(header(10, 2, 1, 32)) + Bytes{0xFF, 1, 2, 3, 4});
    EXPECT_EQ(pixelsOf(*image), (Bytes{3, 2, 1, 4, 3, 2, 1, 4}));
    image = decodeTga(tgaHeader(header(11, 3, 1, 8)) + Bytes{0x03, 5, 6, 7, 8});
    EXPECT_EQ(pixelsOf(*image), (Bytes{5, 6, 7}));
}

TEST(ImageTGATest, TypeZeroHoldsNoPixels) {
    auto image = decodeTga(tgaHeader(header(0, 4, 3, 24)));
    EXPECT_EQ(image->getWidth(), 4);
    EXPECT_EQ(image->getHeight(), 3);
    EXPECT_EQ(image->getComponents(), 0);
    EXPECT_EQ(image->getFormat(), 0u);
    EXPECT_EQ(image->getPixels(), nullptr);
}

TEST(ImageTGATest, UnknownTypesAreRefused) {
    for (int type : {4, 5, 6, 7, 8, 12, 32, 33, 255}) {
        EXPECT_EQ(refusalOf([&] {
                      decodeTga(tgaHeader(header(type, 1, 1, 24)) + Bytes{1, 2, 3});
                  }),
                  "Unknown TGA image type")
            << type;
    }
}
