// Files written by ImageMagick and netpbm, at odd sizes and in every type
// those tools write, decoded and compared pixel for pixel with the tools'
// own reading of the same files.

#include "assets/ImagePCX.h"
#include "assets/ImageTGA.h"
#include "support/GlewFlags.h"
#include "support/Process.h"
#include "support/TestFiles.h"

#include "ImageBytes.h"

#include <array>
#include <cmath>
#include <memory>
#include <sstream>

namespace {

using Rgba = std::array<int, 4>;

// A picture with its top row first, as the tools read and write them.
struct Picture {
    int width = 0;
    int height = 0;
    int maxval = 255;
    std::vector<Rgba> pixels;
    const Rgba& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Netpbm's P5/P6 (and P7 for alpha) as the tools write them.
Picture readPnm(const Bytes& bytes) {
    Picture p;
    std::string text(bytes.begin(), bytes.end());
    std::istringstream in(text);
    std::string magic;
    in >> magic;
    int channels = magic == "P5" ? 1 : 3;
    if (magic == "P7") {
        std::string key;
        while (in >> key && key != "ENDHDR") {
            if (key == "WIDTH") {
                in >> p.width;
            } else if (key == "HEIGHT") {
                in >> p.height;
            } else if (key == "DEPTH") {
                in >> channels;
            } else if (key == "MAXVAL") {
                in >> p.maxval;
            } else {
                std::getline(in, key);
            }
        }
    } else {
        in >> p.width >> p.height >> p.maxval;
    }
    in.get();
    size_t at = static_cast<size_t>(in.tellg());
    int sampleBytes = p.maxval > 255 ? 2 : 1;
    for (int i = 0; i < p.width * p.height; ++i) {
        Rgba c{0, 0, 0, p.maxval};
        for (int ch = 0; ch < channels; ++ch) {
            int v = bytes.at(at);
            if (sampleBytes == 2) {
                v = v << 8 | bytes.at(at + 1);
            }
            at += sampleBytes;
            c[ch] = v;
        }
        if (channels <= 2) { // grey (and alpha)
            c[3] = channels == 2 ? c[1] : p.maxval;
            c[1] = c[2] = c[0];
        }
        p.pixels.push_back(c);
    }
    return p;
}

Bytes writePnm(const Picture& p, bool alpha, bool grey) {
    std::string head;
    if (alpha) {
        head = "P7\nWIDTH " + std::to_string(p.width) + "\nHEIGHT " + std::to_string(p.height) +
               "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    } else {
        head = std::string(grey ? "P5" : "P6") + "\n" + std::to_string(p.width) + " " +
               std::to_string(p.height) + "\n255\n";
    }
    Bytes b(head.begin(), head.end());
    for (const Rgba& c : p.pixels) {
        for (int ch = 0; ch < (grey ? 1 : alpha ? 4 : 3); ++ch) {
            b.push_back(static_cast<unsigned char>(c[ch]));
        }
    }
    return b;
}

template <class Colour> Picture makePicture(int width, int height, Colour colour) {
    Picture p;
    p.width = width;
    p.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            p.pixels.push_back(colour(x, y));
        }
    }
    return p;
}

enum class Source { Colour, Alpha, Grey, Palette200, Palette12, TwoColours };
enum class Reader { ImageMagick, Netpbm };

// Sources with runs of equal pixels (for the run-length writers) and the
// colour counts that make the writers choose each type.
Picture sourcePicture(Source source, int width, int height) {
    switch (source) {
    case Source::Colour:
        return makePicture(width, height, [](int x, int y) {
            return Rgba{x / 4 * 37 % 256, y * 53 % 256, (x + y) / 3 * 29 % 256, 255};
        });
    case Source::Alpha:
        return makePicture(width, height, [](int x, int y) {
            return Rgba{x / 4 * 37 % 256, y * 53 % 256, (x + y) / 3 * 29 % 256,
                        (x / 2 * 30 + y * 17) % 256};
        });
    case Source::Grey:
        return makePicture(width, height, [](int x, int y) {
            int l = (x / 3 * 20 + y * 5) % 256;
            return Rgba{l, l, l, 255};
        });
    case Source::Palette200:
        return makePicture(width, height, [](int x, int y) {
            int i = (x / 3 * 7 + y * 11) % 200;
            return Rgba{i, 255 - i, i * 7 % 256, 255};
        });
    case Source::Palette12:
        return makePicture(width, height, [](int x, int y) {
            int i = (x / 2 + y) % 12;
            return Rgba{i * 20, 255 - i * 20, i * 50 % 256, 255};
        });
    case Source::TwoColours:
        return makePicture(width, height, [](int x, int y) {
            int l = (x / 5 + y / 2) % 2 * 255;
            return Rgba{l, l, l, 255};
        });
    }
    return Picture();
}

struct ToolCase {
    const char* file;
    Source source;
    const char* write; // {in} and {out} are replaced
    Reader reader;
    int type;  // TGA image type, or PCX bits per plane
    int depth; // TGA pixel depth, or PCX planes
    const char* refusal = nullptr;
};

const ToolCase toolCases[] = {
    {"im-rgb.tga", Source::Colour, "convert {in} -compress none -type TrueColor {out}",
     Reader::ImageMagick, 2, 24},
    {"im-rgb-rle.tga", Source::Colour, "convert {in} -compress RLE -type TrueColor {out}",
     Reader::ImageMagick, 10, 24},
    {"im-rgba.tga", Source::Alpha, "convert {in} -compress none -type TrueColorAlpha {out}",
     Reader::ImageMagick, 2, 32},
    {"im-rgba-rle.tga", Source::Alpha, "convert {in} -compress RLE -type TrueColorAlpha {out}",
     Reader::ImageMagick, 10, 32},
    {"im-rgb16.tga", Source::Colour, "convert {in} -compress none -depth 5 {out}",
     Reader::ImageMagick, 2, 16},
    {"im-rgb16-rle.tga", Source::Colour, "convert {in} -compress RLE -depth 5 {out}",
     Reader::ImageMagick, 10, 16},
    {"im-grey.tga", Source::Grey, "convert {in} -compress none -type Grayscale {out}",
     Reader::ImageMagick, 3, 8},
    {"im-grey-rle.tga", Source::Grey, "convert {in} -compress RLE -type Grayscale {out}",
     Reader::ImageMagick, 11, 8},
    {"im-mapped.tga", Source::Palette200, "convert {in} -compress none -type Palette {out}",
     Reader::ImageMagick, 1, 8},
    {"im-mapped-rle.tga", Source::Palette200, "convert {in} -compress RLE -type Palette {out}",
     Reader::ImageMagick, 9, 8},
    {"nb-rgb.tga", Source::Colour, "ppmtotga -rgb -norle {in} > {out}", Reader::Netpbm, 2, 24},
    {"nb-rgb-rle.tga", Source::Colour, "ppmtotga -rgb {in} > {out}", Reader::Netpbm, 10, 24},
    {"nb-rgba.tga", Source::Alpha, "pamtotga -norle {in} > {out}", Reader::Netpbm, 2, 32},
    {"nb-rgba-rle.tga", Source::Alpha, "pamtotga {in} > {out}", Reader::Netpbm, 10, 32},
    {"nb-grey.tga", Source::Grey, "ppmtotga -mono -norle {in} > {out}", Reader::Netpbm, 3, 8},
    {"nb-grey-rle.tga", Source::Grey, "ppmtotga -mono {in} > {out}", Reader::Netpbm, 11, 8},
    {"nb-mapped.tga", Source::Palette200, "ppmtotga -cmap -norle {in} > {out}", Reader::Netpbm, 1,
     8},
    {"nb-mapped-rle.tga", Source::Palette200, "ppmtotga -cmap {in} > {out}", Reader::Netpbm, 9, 8},
    {"nb-mapped16.tga", Source::Palette12, "ppmtotga -cmap16 {in} > {out}", Reader::Netpbm, 9, 8,
     "Unsupported colour map entry size"},
    {"im-24.pcx", Source::Colour, "convert {in} {out}", Reader::ImageMagick, 8, 3},
    {"im-8.pcx", Source::Palette200, "convert {in} -type Palette {out}", Reader::ImageMagick, 8, 1},
    {"nb-24.pcx", Source::Colour, "ppmtopcx -24bit {in} > {out}", Reader::Netpbm, 8, 3},
    {"nb-8.pcx", Source::Palette200, "ppmtopcx -8bit {in} > {out}", Reader::Netpbm, 8, 1},
    {"nb-4.pcx", Source::Palette12, "ppmtopcx {in} > {out}", Reader::Netpbm, 1, 4},
    {"nb-1.pcx", Source::TwoColours, "pgmtoppm navy-orange {in} | ppmtopcx > {out}", Reader::Netpbm,
     1, 1},
    {"nb-4-packed.pcx", Source::Palette12, "ppmtopcx -packed {in} > {out}", Reader::Netpbm, 4, 1,
     "Unhandled PCX format (bad bitcount)"},
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

std::string shell(const std::string& command) {
    int status = -1;
    std::string out = runCommand("( " + command + " ) 2>&1", &status);
    EXPECT_EQ(status, 0) << command << "\n" << out;
    return out;
}

// The tool's own reading of a file, top row first.
Picture toolReading(const std::string& path, Reader reader, bool pcx, bool alpha) {
    if (reader == Reader::ImageMagick) {
        // Ask for PAM so the size comes with the samples.
        shell("convert " + path + " -depth 8 -alpha on pam:" + path + ".pam");
        return readPnm(readFile(path + ".pam"));
    }
    shell(std::string(pcx ? "pcxtoppm " : "tgatoppm ") +
          (alpha ? "--alphaout=" + path + ".alpha.pgm " : "") + path + " > " + path + ".ppm");
    Picture p = readPnm(readFile(path + ".ppm"));
    if (alpha) {
        Picture a = readPnm(readFile(path + ".alpha.pgm"));
        for (size_t i = 0; i < p.pixels.size(); ++i) {
            p.pixels[i][3] = a.pixels[i][0];
        }
    }
    return p;
}

// Which of the tool's top-first rows our bottom-first row k is. A PCX file
// stores its top row first; a TGA file's first stored row is our bottom
// row. Netpbm honours the TGA origin bit; ImageMagick 6.9 reads every TGA
// as if stored top row first.
int toolRow(int k, int height, bool pcx, Reader reader, bool topLeft) {
    if (pcx) {
        return height - 1 - k;
    }
    if (reader == Reader::ImageMagick || topLeft) {
        return k;
    }
    return height - 1 - k;
}

// What our decoder must give for a tool's sample: 5-bit channels become
// their value shifted up by 3, 8-bit ones stay.
int expectedChannel(int sample, int maxval, bool fiveBit) {
    if (fiveBit) {
        int v = static_cast<int>(std::lround(sample * 31.0 / maxval));
        return v << 3;
    }
    return sample * 255 / maxval;
}

void compareWithTool(const ToolCase& c, int width, int height, const std::string& dir) {
    bool pcx = std::string(c.file).find(".pcx") != std::string::npos;
    bool alpha = c.source == Source::Alpha;
    bool grey = c.source == Source::Grey || c.source == Source::TwoColours;
    Picture source = sourcePicture(c.source, width, height);
    std::string in = dir + "/source-" + c.file + (alpha ? ".pam" : grey ? ".pgm" : ".ppm");
    std::string out = dir + "/" + c.file;
    writeFile(in, writePnm(source, alpha, grey));
    shell(replaceAll(replaceAll(c.write, "{in}", in), "{out}", out));

    Bytes file = readFile(out);
    ASSERT_GE(file.size(), 128u);
    // The tool wrote the kind of file this case is about.
    EXPECT_EQ(pcx ? file[3] : file[2], c.type);
    EXPECT_EQ(pcx ? file[65] : file[16], c.depth);

    // At every vector level, each checked against the portable decoder.
    auto decode = [&]() {
        ImageBuffer buffer(out);
        return pcx ? std::unique_ptr<Image>(decodeAtEveryLevel<ImagePCX>(buffer))
                   : std::unique_ptr<Image>(decodeAtEveryLevel<ImageTGA>(buffer));
    };
    std::string refusal = refusalOf([&] { decode(); });
    if (c.refusal != nullptr || refusal != "(accepted)") {
        EXPECT_EQ(c.refusal != nullptr ? c.refusal : "(accepted)", refusal);
        return;
    }
    Picture tool = toolReading(out, c.reader, pcx, alpha);
    ASSERT_EQ(tool.width, width);
    ASSERT_EQ(tool.height, height);

    // Both channel orders: with the extension flag set, colour pixels keep
    // blue first.
    for (bool bgra : {false, true}) {
        SCOPED_TRACE(bgra ? "blue first" : "red first");
        ScopedGlewFlag flag(ScopedGlewFlag::Bgra, bgra);
        std::unique_ptr<Image> image = decode();
        ASSERT_EQ(image->getWidth(), width);
        ASSERT_EQ(image->getHeight(), height);
        const int components = image->getComponents();
        const bool colour = components >= 3;
        const bool fiveBit = !pcx && c.depth == 16;
        const bool topLeft = !pcx && (file[17] & 0x20) != 0;
        int mismatches = 0;
        for (int k = 0; k < height; ++k) {
            int row = toolRow(k, height, pcx, c.reader, topLeft);
            for (int x = 0; x < width; ++x) {
                const unsigned char* ours =
                    image->getPixels() + (static_cast<size_t>(k) * width + x) * components;
                const Rgba& theirs = tool.at(x, row);
                for (int ch = 0; ch < components; ++ch) {
                    // Luminance holds the grey level the tool gives as R = G = B.
                    int source = colour && bgra && ch < 3 ? 2 - ch : ch;
                    int want = expectedChannel(theirs[source], tool.maxval, fiveBit && ch < 3);
                    if (ours[ch] != want && ++mismatches <= 5) {
                        ADD_FAILURE() << c.file << " pixel (" << x << ", row " << k << ") channel "
                                      << ch << ": ours " << int(ours[ch]) << ", tool " << want;
                    }
                }
            }
        }
        EXPECT_EQ(mismatches, 0) << c.file;
    }
}

} // namespace

namespace {

void compareAllWithTools(int width, int height) {
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::string dir = makeScratchDir("ImageToolsTest-" + size);
    for (const ToolCase& c : toolCases) {
        SCOPED_TRACE(std::string(c.file) + " " + size);
        compareWithTool(c, width, height, dir);
    }
}

} // namespace

TEST(ImageToolsTest, OddSizedFilesDecodeAsTheToolsReadThem) {
    compareAllWithTools(37, 23);
}

// Rows longer than one run-length packet, and odd PCX bytes per line.
TEST(ImageToolsTest, WideFilesDecodeAsTheToolsReadThem) {
    compareAllWithTools(131, 3);
}

TEST(ImageToolsTest, ImageMagickTgaRowsAreStoredTopFirstUnderABottomLeftOrigin) {
    // The trap the cross-check above allows for: ImageMagick 6.9 marks its
    // TGA files bottom-left yet stores the top row first, so a TGA it writes
    // shows upside down here, while netpbm's shows the right way up.
    std::string dir = makeScratchDir("ImageMagickRowOrder");
    Picture source = sourcePicture(Source::Colour, 5, 4);
    writeFile(dir + "/in.ppm", writePnm(source, false, false));
    shell("convert " + dir + "/in.ppm -compress none -type TrueColor " + dir + "/im.tga");
    shell("ppmtotga -rgb -norle " + dir + "/in.ppm > " + dir + "/nb.tga");
    ImageTGA im{ImageBuffer(dir + "/im.tga")};
    ImageTGA nb{ImageBuffer(dir + "/nb.tga")};
    for (int k = 0; k < 4; ++k) {
        const Rgba& imRow = source.at(0, k);
        const Rgba& nbRow = source.at(0, 3 - k);
        EXPECT_EQ(im.getPixels()[k * 15], imRow[0]) << "ImageMagick row " << k;
        EXPECT_EQ(im.getPixels()[k * 15 + 1], imRow[1]) << "ImageMagick row " << k;
        EXPECT_EQ(nb.getPixels()[k * 15 + 1], nbRow[1]) << "netpbm row " << k;
    }
}
