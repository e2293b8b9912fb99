#include "GeneratedRes.h"

#include "assets/ImageBuffer.h"
#include "assets/ImageTGA.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

namespace {

std::unique_ptr<ImageTGA> decode(const std::string& name) {
    ImageBuffer buffer(resPath(name));
    return std::unique_ptr<ImageTGA>(new ImageTGA(buffer));
}

const unsigned char* pixel(const Image& image, int x, int y) {
    return image.getPixels() + (size_t(y) * image.getWidth() + x) * image.getComponents();
}

// Mean absolute difference between two columns (or rows) of an image.
double lineDifference(const Image& im, bool columns, int a, int b) {
    int n = columns ? im.getHeight() : im.getWidth();
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        const unsigned char* p = columns ? pixel(im, a, i) : pixel(im, i, a);
        const unsigned char* q = columns ? pixel(im, b, i) : pixel(im, i, b);
        for (int c = 0; c < 3; ++c)
            sum += std::abs(int(p[c]) - int(q[c]));
    }
    return sum / (3.0 * n);
}

} // namespace

TEST(GeneratedPicturesTest, EveryPictureDecodesAtItsSize) {
    struct Expected {
        const char* name;
        int width, height, components;
    };
    const Expected pictures[] = {
        {"character.tga", 256, 256, 3},  {"zombie.tga", 256, 256, 3},
        {"GraveStone.tga", 256, 256, 3}, {"banana.tga", 256, 256, 4},
        {"weapon.tga", 256, 256, 3},     {"shotgun.tga", 256, 256, 3},
        {"grass.tga", 256, 256, 3},      {"fencePost.tga", 64, 256, 3},
        {"fenceRail.tga", 256, 64, 3},   {"water.tga", 256, 256, 3},
        {"Particle.tga", 64, 64, 4},     {"shell.tga", 64, 64, 4},
    };
    for (const Expected& e : pictures) {
        SCOPED_TRACE(e.name);
        auto image = decode(e.name);
        EXPECT_EQ(image->getWidth(), e.width);
        EXPECT_EQ(image->getHeight(), e.height);
        EXPECT_EQ(image->getComponents(), e.components);
        EXPECT_EQ(image->getFormat(), static_cast<GLenum>(e.components == 4 ? GL_RGBA : GL_RGB));
        EXPECT_TRUE(image->isPowerOfTwo());
        ASSERT_NE(image->getPixels(), nullptr);
    }
}

TEST(GeneratedPicturesTest, RowsRunBottomUpAsAReaderHonouringTheOriginSees) {
    // netpbm reads the origin bit; its first row is the top of the picture,
    // which the game's decoder stores last.
    for (const char* name : {"character.tga", "shell.tga"}) {
        SCOPED_TRACE(name);
        int status = -1;
        std::string ppm = runCommand("tgatoppm '" + resPath(name) + "' 2>/dev/null", &status);
        ASSERT_EQ(status, 0);
        auto image = decode(name);
        const int w = image->getWidth(), h = image->getHeight();
        // Skip the three header lines of a P6 file.
        size_t at = 0;
        for (int line = 0; line < 3; ++line)
            at = ppm.find('\n', at) + 1;
        ASSERT_EQ(ppm.size() - at, size_t(w) * h * 3);
        int mismatches = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    if (static_cast<unsigned char>(ppm[at + (size_t(y) * w + x) * 3 + c]) !=
                        pixel(*image, x, h - 1 - y)[c])
                        ++mismatches;
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(GeneratedPicturesTest, ParticleIsARoundDropInRedOnBlack) {
    auto image = decode("Particle.tga");
    const int n = image->getWidth();
    int outOfRound = 0;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float dx = (x + 0.5f) / n * 2 - 1, dy = (y + 0.5f) / n * 2 - 1;
            float r = std::sqrt(dx * dx + dy * dy);
            const unsigned char* p = pixel(*image, x, y);
            // Red alone draws under the game's tint: the same all round.
            for (const unsigned char* q : {pixel(*image, n - 1 - x, y), pixel(*image, y, x)}) {
                outOfRound += std::abs(int(p[0]) - int(q[0])) > 1;
            }
            if (r < 0.5f) {
                EXPECT_GT(p[0], 200) << x << "," << y;
            }
            if (r > 0.99f) {
                EXPECT_EQ(p[0], 0) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(outOfRound, 0);
}

TEST(GeneratedPicturesTest, ShellIsCrispUprightAndOnClearGround) {
    auto image = decode("shell.tga");
    const int w = image->getWidth(), h = image->getHeight();
    std::set<int> alphas;
    int left = w, right = -1, bottom = h, top = -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int a = pixel(*image, x, y)[3];
            alphas.insert(a);
            if (a == 255) {
                left = std::min(left, x), right = std::max(right, x);
                bottom = std::min(bottom, y), top = std::max(top, y);
            }
        }
    }
    // Only fully clear or fully opaque: the 0.9 alpha test cuts a clean edge.
    EXPECT_EQ(alphas, (std::set<int>{0, 255}));
    EXPECT_EQ(pixel(*image, 0, 0)[3], 0);
    EXPECT_EQ(pixel(*image, w - 1, h - 1)[3], 0);
    // A cartridge standing up, centred across, filling most of the height.
    EXPECT_GT(top - bottom, h * 3 / 4);
    EXPECT_LT(right - left, w / 2 + 4);
    EXPECT_NEAR((left + right) / 2.0, w / 2.0, 2.0);
    // Brass head at the bottom, red hull above it.
    const unsigned char* head = pixel(*image, w / 2, bottom + 4);
    const unsigned char* hull = pixel(*image, w / 2, top - 12);
    EXPECT_GT(head[1], head[2] + 40); // yellow: green well above blue
    EXPECT_GT(hull[0], hull[1] + 80); // red
}

TEST(GeneratedPicturesTest, TilingPicturesWrapWithoutASeam) {
    for (const char* name : {"grass.tga", "water.tga"}) {
        SCOPED_TRACE(name);
        auto image = decode(name);
        const int w = image->getWidth(), h = image->getHeight();
        for (bool columns : {true, false}) {
            int n = columns ? w : h;
            double inside = 0;
            for (int i = 0; i + 1 < n; ++i)
                inside += lineDifference(*image, columns, i, i + 1);
            inside /= n - 1;
            // The step from the last line back to the first is no bigger
            // than the usual step between neighbours.
            EXPECT_LT(lineDifference(*image, columns, n - 1, 0), 1.5 * inside);
        }
    }
}

TEST(GeneratedPicturesTest, SkinsArePaintedNotFlat) {
    // Within every painted 16 x 16 block the shade varies: cloth, grain,
    // stone, wear; a flat fill would show none.
    for (const char* name : {"character.tga", "zombie.tga", "GraveStone.tga", "banana.tga",
                             "weapon.tga", "shotgun.tga"}) {
        SCOPED_TRACE(name);
        auto image = decode(name);
        std::vector<double> spreads;
        for (int by = 0; by < image->getHeight(); by += 16) {
            for (int bx = 0; bx < image->getWidth(); bx += 16) {
                double sum = 0, sq = 0;
                bool painted = true;
                for (int y = by; y < by + 16; ++y) {
                    for (int x = bx; x < bx + 16; ++x) {
                        const unsigned char* p = pixel(*image, x, y);
                        double l = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
                        painted = painted && l > 0;
                        sum += l;
                        sq += l * l;
                    }
                }
                if (painted)
                    spreads.push_back(
                        std::sqrt(std::max(0.0, sq / 256 - (sum / 256) * (sum / 256))));
            }
        }
        ASSERT_GT(spreads.size(), 40u);
        std::sort(spreads.begin(), spreads.end());
        EXPECT_GT(spreads[spreads.size() / 2], 2.5);
        EXPECT_GT(spreads[spreads.size() / 10], 0.8);
    }
}
