#include "assets/Image.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageTGA.h"
#include "assets/Texture2D.h"
#include "support/TestFiles.h"

#include "ImageBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace {

std::string invalidArgumentOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "(accepted)";
}

} // namespace

TEST(ImageTest, RawPixelsAreCopied) {
    unsigned char source[6] = {1, 2, 3, 4, 5, 6};
    Image image("raw", 2, 1, GL_RGB, 3, source);
    source[0] = 99;
    EXPECT_EQ(pixelsOf(image), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(image.getName(), "raw");
    EXPECT_EQ(image.getFormat(), static_cast<GLenum>(GL_RGB));
}

TEST(ImageTest, RawPixelConstructorChecksSizeBeforeSource) {
    unsigned char p[16] = {};
    const std::string size = "Image::Image: Invalid width, height or component value";
    const std::string source = "Image::Image: Invalid pixel data source";
    EXPECT_EQ(invalidArgumentOf([&] { Image("", 0, 1, GL_RGB, 3, nullptr); }), size);
    EXPECT_EQ(invalidArgumentOf([&] { Image("", 1, -1, GL_RGB, 3, p); }), size);
    // Two negative sides make a positive product but are still no image.
    EXPECT_EQ(invalidArgumentOf([&] { Image("", -1, -1, GL_RGB, 3, p); }), size);
    EXPECT_EQ(invalidArgumentOf([&] { Image("", 1, 1, GL_RGB, 0, p); }), size);
    EXPECT_EQ(invalidArgumentOf([&] { Image("", 1, 1, GL_RGB, 5, p); }), size);
    EXPECT_EQ(invalidArgumentOf([&] { Image("", 1, 1, GL_RGB, 3, nullptr); }), source);
}

TEST(ImageTest, PowerOfTwoNeedsBothSides) {
    unsigned char p[3] = {};
    auto sized = [&](int w, int h) {
        // Only the getter is wanted; one pixel is enough to build from.
        struct Sized : Image {
            Sized(int w, int h) : Image("") {
                width = w;
                height = h;
            }
        };
        return Sized(w, h).isPowerOfTwo();
    };
    EXPECT_TRUE(Image("", 1, 1, GL_RGB, 3, p).isPowerOfTwo());
    EXPECT_TRUE(sized(256, 128));
    EXPECT_TRUE(sized(1, 32768));
    EXPECT_FALSE(sized(100, 64));
    EXPECT_FALSE(sized(64, 60));
    EXPECT_FALSE(sized(3, 4));
    EXPECT_FALSE(sized(0, 4));
    EXPECT_FALSE(sized(4, -4));
    EXPECT_FALSE(sized(-2147483647 - 1, 1));
    EXPECT_TRUE(sized(1073741824, 1));
    EXPECT_FALSE(sized(2147483647, 1));
}

TEST(ImageBufferTest, HoldsTheWholeFile) {
    std::string dir = makeScratchDir("ImageBufferTest");
    Bytes bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes.push_back(static_cast<unsigned char>(i * 7));
    }
    // Bytes that text mode would translate on some platforms.
    bytes = bytes + Bytes{'\r', '\n', 0x1A, 0};
    writeFile(dir + "/all.bin", bytes);
    ImageBuffer buffer(dir + "/all.bin");
    EXPECT_EQ(buffer.getFileName(), dir + "/all.bin");
    ASSERT_EQ(buffer.getLength(), static_cast<int>(bytes.size()));
    EXPECT_EQ(Bytes(buffer.getData(), buffer.getData() + buffer.getLength()), bytes);

    writeFile(dir + "/empty.tga", Bytes());
    ImageBuffer empty(dir + "/empty.tga");
    EXPECT_EQ(empty.getLength(), 0);
    EXPECT_EQ(refusalOf([&] { ImageTGA image(empty); }), "Truncated image header");
}

TEST(ImageBufferTest, RefusesWhatIsNoReadableFile) {
    std::string dir = makeScratchDir("ImageBufferRefusals");
    try {
        ImageBuffer buffer(dir + "/missing.tga");
        ADD_FAILURE() << "missing file read";
    } catch (const ImageException& e) {
        EXPECT_STREQ(e.what(), "Couldn't open file");
        EXPECT_EQ(e.getFileName(), dir + "/missing.tga");
    }
    EXPECT_EQ(refusalOf([&] { ImageBuffer buffer(dir); }), "Couldn't open file");

    // Larger than a 32-bit length can say: refused before anything is
    // allocated for it (the file is sparse and takes no room on disk).
    std::string huge = dir + "/huge.tga";
    FILE* file = fopen(huge.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fclose(file);
    ASSERT_EQ(truncate(huge.c_str(), 3LL << 30), 0);
    EXPECT_EQ(refusalOf([&] { ImageBuffer buffer(huge); }), "File too large");
    std::remove(huge.c_str());
}

TEST(ImageFuzzSeedsTest, EverySeedIsAValidImage) {
    // The fuzz target starts from these; a seed the decoders refuse would
    // keep it away from the decoding loops. What long runs found, in found/,
    // is mostly refused on purpose.
    std::string dir = std::string(MORROWFEN_SOURCE_DIR) + "/fuzz/corpus/image";
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        ImageBuffer buffer(entry.path().string());
        ::testing::internal::CaptureStderr();
        std::unique_ptr<Image> image;
        EXPECT_EQ(refusalOf([&] { image.reset(Texture2D::loadImage(buffer)); }), "(accepted)");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        if (image) {
            EXPECT_NE(image->getPixels(), nullptr);
        }
        ++seeds;
    }
    EXPECT_GE(seeds, 16);
}
