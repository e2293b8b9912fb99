#pragma once

// Builders for small hand-made image files, byte by byte, so each test
// shows exactly what the file holds.

#include "assets/Image.h"
#include "assets/ImageBuffer.h"
#include "assets/ImageException.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
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
