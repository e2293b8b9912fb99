#pragma once

// Builders for small hand-made image files, byte by byte, so each test
// shows exactly what the file holds.

#include "assets/Image.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"
#include "support/VectorLevels.h"

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct TgaHeader {
    int type = 2;
    int width = 1;
    int height = 1;
    int depth = 24;
    int descriptor = 0;
    int idLength = 0;
    int mapType = 0;
    int mapFirst = 0;
    int mapLength = 0;
    int mapEntrySize = 0;
};

inline TgaHeader tgaOf(int type, int width, int height, int depth) {
    TgaHeader h;
    h.type = type;
    h.width = width;
    h.height = height;
    h.depth = depth;
    return h;
}

inline void putShort(Bytes& b, int v) {
    b.push_back(static_cast<unsigned char>(v & 0xFF));
    b.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

inline Bytes tgaHeader(const TgaHeader& h) {
    Bytes b;
    b.push_back(static_cast<unsigned char>(h.idLength));
    b.push_back(static_cast<unsigned char>(h.mapType));
    b.push_back(static_cast<unsigned char>(h.type));
    putShort(b, h.mapFirst);
    putShort(b, h.mapLength);
    b.push_back(static_cast<unsigned char>(h.mapEntrySize));
    putShort(b, 0);
    putShort(b, 0);
    putShort(b, h.width);
    putShort(b, h.height);
    b.push_back(static_cast<unsigned char>(h.depth));
    b.push_back(static_cast<unsigned char>(h.descriptor));
    return b;
}

inline Bytes operator+(Bytes a, std::initializer_list<int> more) {
    for (int v : more) {
        a.push_back(static_cast<unsigned char>(v));
    }
    return a;
}

inline Bytes operator+(Bytes a, const Bytes& more) {
    a.insert(a.end(), more.begin(), more.end());
    return a;
}

inline Bytes repeat(std::initializer_list<int> pattern, int times) {
    Bytes b;
    for (int i = 0; i < times; ++i) {
        for (int v : pattern) {
            b.push_back(static_cast<unsigned char>(v));
        }
    }
    return b;
}

struct PcxHeader {
    int manufacturer = 10;
    int bitsPerPlane = 8;
    int planes = 1;
    int xmin = 0;
    int ymin = 0;
    int width = 1;
    int height = 1;
    int bytesPerLine = -1; // -1: what the width needs
    Bytes palette16;       // up to 48 bytes
};

inline PcxHeader pcxOf(int bitsPerPlane, int planes, int width, int height) {
    PcxHeader h;
    h.bitsPerPlane = bitsPerPlane;
    h.planes = planes;
    h.width = width;
    h.height = height;
    return h;
}

inline Bytes pcxHeader(const PcxHeader& h) {
    Bytes b(128, 0);
    b[0] = static_cast<unsigned char>(h.manufacturer);
    b[1] = 5;
    b[2] = 1;
    b[3] = static_cast<unsigned char>(h.bitsPerPlane);
    auto put = [&b](int at, int v) {
        b[at] = static_cast<unsigned char>(v & 0xFF);
        b[at + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
    };
    put(4, h.xmin);
    put(6, h.ymin);
    put(8, h.xmin + h.width - 1);
    put(10, h.ymin + h.height - 1);
    for (size_t i = 0; i < h.palette16.size() && i < 48; ++i) {
        b[16 + i] = h.palette16[i];
    }
    b[65] = static_cast<unsigned char>(h.planes);
    int bpl = h.bytesPerLine;
    if (bpl < 0) {
        bpl = h.bitsPerPlane == 1 ? (h.width + 7) / 8 : h.width;
    }
    put(66, bpl);
    return b;
}

// A 256-entry palette after its marker byte, entry i = (i, 255 - i, i / 2)
// unless given.
inline Bytes pcxPalette(int marker = 12, const Bytes& firstEntries = Bytes()) {
    Bytes b;
    b.push_back(static_cast<unsigned char>(marker));
    for (int i = 0; i < 256; ++i) {
        b.push_back(static_cast<unsigned char>(i));
        b.push_back(static_cast<unsigned char>(255 - i));
        b.push_back(static_cast<unsigned char>(i / 2));
    }
    for (size_t i = 0; i < firstEntries.size() && i < 768; ++i) {
        b[1 + i] = firstEntries[i];
    }
    return b;
}

inline ImageBuffer bufferOf(const Bytes& bytes, const std::string& name = "test.tga") {
    return ImageBuffer(name, bytes.data(), static_cast<int>(bytes.size()));
}

// The message of the ImageException the call throws, or a note that it
// threw none.
inline std::string refusalOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ImageException& e) {
        return e.what();
    }
    return "(accepted)";
}

// Every pixel byte of a decoded image.
inline Bytes pixelsOf(const Image& image) {
    const unsigned char* p = image.getPixels();
    return Bytes(p, p + static_cast<size_t>(image.getWidth()) * image.getHeight() *
                            image.getComponents());
}

// Where two runs of pixel bytes first differ, or "none".
inline std::string firstDifference(const Bytes& a, const Bytes& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) {
            return "byte " + std::to_string(i) + ": " + std::to_string(a[i]) + " against " +
                   std::to_string(b[i]);
        }
    }
    return a.size() == b.size()
               ? "none"
               : std::to_string(a.size()) + " bytes against " + std::to_string(b.size());
}

// What decoding a buffer once gave: the picture or the refusal, and the
// warnings written on the way.
template <class Decoder> struct Decoding {
    std::unique_ptr<Decoder> image;
    std::exception_ptr refusal;
    std::string message;
    std::string warnings;
};

template <class Decoder>
Decoding<Decoder> decodeAtLevel(platform::VectorLevel level, const ImageBuffer& buffer) {
    struct CerrTo {
        std::ostringstream text;
        std::streambuf* saved = std::cerr.rdbuf(text.rdbuf());
        ~CerrTo() { std::cerr.rdbuf(saved); }
    } warnings;
    ScopedVectorLevel cap(level);
    Decoding<Decoder> decoding;
    try {
        decoding.image.reset(new Decoder(buffer));
    } catch (const ImageException& e) {
        decoding.refusal = std::current_exception();
        decoding.message = e.what();
    }
    decoding.warnings = warnings.text.str();
    return decoding;
}

// Decodes the buffer at every vector level this processor has and checks
// that each gives what the portable decoder gives: the same picture and
// warnings, or the same refusal. Then does what decoding once with the
// portable decoder does: writes its warnings and returns its picture, or
// throws its refusal.
template <class Decoder> std::unique_ptr<Decoder> decodeAtEveryLevel(const ImageBuffer& buffer) {
    const std::vector<platform::VectorLevel> levels = processorVectorLevels();
    Decoding<Decoder> portable = decodeAtLevel<Decoder>(levels[0], buffer);
    for (size_t i = 1; i < levels.size(); ++i) {
        const std::string level = vectorLevelName(levels[i]) + " decoder";
        Decoding<Decoder> decoding = decodeAtLevel<Decoder>(levels[i], buffer);
        EXPECT_EQ(decoding.message, portable.message) << level;
        EXPECT_EQ(decoding.warnings, portable.warnings) << level;
        if (decoding.image == nullptr || portable.image == nullptr) {
            continue;
        }
        const Image& picture = *decoding.image;
        EXPECT_EQ(picture.getWidth(), portable.image->getWidth()) << level;
        EXPECT_EQ(picture.getHeight(), portable.image->getHeight()) << level;
        EXPECT_EQ(picture.getFormat(), portable.image->getFormat()) << level;
        EXPECT_EQ(picture.getComponents(), portable.image->getComponents()) << level;
        EXPECT_EQ(firstDifference(pixelsOf(picture), pixelsOf(*portable.image)), "none") << level;
    }
    std::cerr << portable.warnings << std::flush;
    if (portable.refusal) {
        std::rethrow_exception(portable.refusal);
    }
    return std::move(portable.image);
}
