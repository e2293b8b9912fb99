// Decoding 4096 x 4096 TGA (raw and run-length, 24-bit) and PCX (24-bit and
// 8-bit) files with our decoders, beside stb_image on the same TGA files,
// beside a bare read of each file into memory, the floor no decoder reading
// that file can beat, and beside writing a picture of the decoded size.
//
// The files are written once into the system's temporary directory.

#include "assets/ImageBuffer.h"
#include "assets/ImagePCX.h"
#include "assets/ImageTGA.h"
#include "platform/BulkMemory.h"

#include <cstring>

// stb_image allocates through these, so that it can be timed both with the
// heap and with the large-page memory our decoders use: page faults are a
// large part of decoding a big picture on this platform.
namespace {
bool stbUsesBulkMemory = false;
const size_t stbHeader = 16;

void* stbMalloc(size_t size) {
    unsigned char* p = stbUsesBulkMemory ? platform::allocateBulk(size + stbHeader)
                                         : static_cast<unsigned char*>(malloc(size + stbHeader));
    if (p == nullptr) {
        return nullptr;
    }
    p[0] = stbUsesBulkMemory ? 1 : 0;
    return p + stbHeader;
}

void stbFree(void* bytes) {
    if (bytes == nullptr) {
        return;
    }
    unsigned char* p = static_cast<unsigned char*>(bytes) - stbHeader;
    if (p[0] != 0) {
        platform::releaseBulk(p);
    } else {
        free(p);
    }
}

[[maybe_unused]] void* stbRealloc(void* bytes, size_t oldSize, size_t newSize) {
    void* grown = stbMalloc(newSize);
    if (grown != nullptr && bytes != nullptr) {
        memcpy(grown, bytes, oldSize < newSize ? oldSize : newSize);
    }
    stbFree(bytes);
    return grown;
}
} // namespace

#define STBI_MALLOC(size) stbMalloc(size)
#define STBI_FREE(bytes) stbFree(bytes)
#define STBI_REALLOC_SIZED(bytes, oldSize, newSize) stbRealloc(bytes, oldSize, newSize)
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#include <stb/stb_image.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const int side = 4096;
using Bytes = std::vector<unsigned char>;

// A picture like a game texture: a flat-shaded quarter with long runs, a
// smooth gradient with short ones, a noisy quarter with none, and a quarter
// of 8-pixel tiles.
void pixelAt(int x, int y, unsigned char rgb[3]) {
    unsigned hash = (x * 73856093u) ^ (y * 19349663u);
    hash ^= hash >> 13;
    hash *= 0x5bd1e995u;
    hash ^= hash >> 15;
    if (y < side / 2 && x < side / 2) {
        rgb[0] = static_cast<unsigned char>(x / 96 * 20);
        rgb[1] = static_cast<unsigned char>(y / 64 * 10);
        rgb[2] = 90;
    } else if (y < side / 2) {
        rgb[0] = static_cast<unsigned char>(x / 4);
        rgb[1] = static_cast<unsigned char>(y / 8);
        rgb[2] = static_cast<unsigned char>((x + y) / 16);
    } else if (x < side / 2) {
        rgb[0] = static_cast<unsigned char>(hash);
        rgb[1] = static_cast<unsigned char>(hash >> 8);
        rgb[2] = static_cast<unsigned char>(hash >> 16);
    } else {
        rgb[0] = static_cast<unsigned char>((x / 8 + y / 8) % 7 * 36);
        rgb[1] = static_cast<unsigned char>((x / 8) % 5 * 50);
        rgb[2] = static_cast<unsigned char>((y / 8) % 3 * 80);
    }
}

// The picture's palette index for the 8-bit PCX: the colour cut to 3-3-2 bits.
unsigned char indexAt(int x, int y) {
    unsigned char rgb[3];
    pixelAt(x, y, rgb);
    return static_cast<unsigned char>((rgb[0] & 0xE0) | (rgb[1] & 0xE0) >> 3 | rgb[2] >> 6);
}

void put16(Bytes& b, int v) {
    b.push_back(static_cast<unsigned char>(v & 0xFF));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

Bytes tgaFile(bool rle) {
    Bytes b{0, 0, static_cast<unsigned char>(rle ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(b, side);
    put16(b, side);
    b.push_back(24);
    b.push_back(0);
    std::vector<unsigned char> row(side * 3);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            unsigned char rgb[3];
            pixelAt(x, side - 1 - y, rgb);
            row[x * 3] = rgb[2];
            row[x * 3 + 1] = rgb[1];
            row[x * 3 + 2] = rgb[0];
        }
        if (!rle) {
            b.insert(b.end(), row.begin(), row.end());
            continue;
        }
        // Runs of two or more equal pixels become run packets; the rest go
        // in literal packets. Packets stay within the row.
        auto same = [&](int a, int c) {
            return row[a * 3] == row[c * 3] && row[a * 3 + 1] == row[c * 3 + 1] &&
                   row[a * 3 + 2] == row[c * 3 + 2];
        };
        int x = 0;
        while (x < side) {
            int run = 1;
            while (x + run < side && run < 128 && same(x, x + run)) {
                ++run;
            }
            if (run > 1) {
                b.push_back(static_cast<unsigned char>(0x80 | (run - 1)));
                b.insert(b.end(), row.begin() + x * 3, row.begin() + x * 3 + 3);
                x += run;
                continue;
            }
            int count = 1;
            while (x + count < side && count < 128 &&
                   !(x + count + 1 < side && same(x + count, x + count + 1))) {
                ++count;
            }
            b.push_back(static_cast<unsigned char>(count - 1));
            b.insert(b.end(), row.begin() + x * 3, row.begin() + (x + count) * 3);
            x += count;
        }
    }
    return b;
}

void pcxEncode(Bytes& b, const unsigned char* line, int n) {
    int x = 0;
    while (x < n) {
        int run = 1;
        while (x + run < n && run < 63 && line[x + run] == line[x]) {
            ++run;
        }
        if (run > 1 || line[x] >= 192) {
            b.push_back(static_cast<unsigned char>(192 + run));
        }
        b.push_back(line[x]);
        x += run;
    }
}

Bytes pcxFile(bool eightBit) {
    Bytes b(128, 0);
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    b[8] = (side - 1) & 0xFF;
    b[9] = (side - 1) >> 8;
    b[10] = (side - 1) & 0xFF;
    b[11] = (side - 1) >> 8;
    b[65] = eightBit ? 1 : 3;
    b[66] = side & 0xFF;
    b[67] = side >> 8;
    std::vector<unsigned char> line(side * 3);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if (eightBit) {
                line[x] = indexAt(x, y);
                continue;
            }
            unsigned char rgb[3];
            pixelAt(x, y, rgb);
            for (int c = 0; c < 3; ++c) {
                line[c * side + x] = rgb[c];
            }
        }
        for (int plane = 0; plane < (eightBit ? 1 : 3); ++plane) {
            pcxEncode(b, line.data() + plane * side, side);
        }
    }
    if (eightBit) {
        b.push_back(12);
        for (int i = 0; i < 256; ++i) {
            b.push_back(static_cast<unsigned char>(i & 0xE0));
            b.push_back(static_cast<unsigned char>((i << 3) & 0xE0));
            b.push_back(static_cast<unsigned char>((i << 6) & 0xC0));
        }
    }
    return b;
}

// The path of one benchmark file, written on first use.
std::string benchFile(const std::string& name) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "morrowfen-bench-images";
    std::filesystem::create_directories(dir);
    std::string path = (dir / name).string();
    if (!std::filesystem::exists(path)) {
        Bytes bytes = name == "raw24.tga"   ? tgaFile(false)
                      : name == "rle24.tga" ? tgaFile(true)
                      : name == "rgb24.pcx" ? pcxFile(false)
                                            : pcxFile(true);
        std::string part = path + ".part";
        FILE* file = fopen(part.c_str(), "wb");
        if (file == nullptr || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
            fclose(file) != 0) {
            throw std::runtime_error("cannot write " + part);
        }
        std::filesystem::rename(part, path);
    }
    return path;
}

void reportSizes(benchmark::State& state, const std::string& path) {
    state.counters["file_MB"] = std::filesystem::file_size(path) / 1e6;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            std::filesystem::file_size(path));
}

// One read of the whole file into memory, which is all our file buffer
// does: the same open, seek, allocation and single read.
void BM_BareRead(benchmark::State& state, const char* name) {
    std::string path = benchFile(name);
    for (auto _ : state) {
        FILE* file = fopen(path.c_str(), "rb");
        fseek(file, 0, SEEK_END);
        long size = ftell(file);
        fseek(file, 0, SEEK_SET);
        unsigned char* bytes = platform::allocateBulk(size);
        size_t got = fread(bytes, 1, size, file);
        fclose(file);
        benchmark::DoNotOptimize(got);
        benchmark::DoNotOptimize(bytes);
        platform::releaseBulk(bytes);
    }
    reportSizes(state, path);
}

// Allocating the 4096 x 4096 x 3 bytes of a decoded picture and writing
// every one of them, as the fastest decoder would: beside the bare read,
// the floor that the size of the output sets.
void BM_WriteOutput(benchmark::State& state) {
    const size_t size = static_cast<size_t>(side) * side * 3;
    for (auto _ : state) {
        unsigned char* pixels = platform::allocateBulk(size);
        memset(pixels, 0x5A, size);
        benchmark::DoNotOptimize(pixels);
        benchmark::ClobberMemory();
        platform::releaseBulk(pixels);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

template <class Decoder> void BM_OursFromFile(benchmark::State& state, const char* name) {
    std::string path = benchFile(name);
    for (auto _ : state) {
        ImageBuffer buffer(path);
        Decoder image(buffer);
        benchmark::DoNotOptimize(image.getPixels());
    }
    reportSizes(state, path);
}

template <class Decoder> void BM_OursFromMemory(benchmark::State& state, const char* name) {
    std::string path = benchFile(name);
    ImageBuffer buffer(path);
    for (auto _ : state) {
        Decoder image(buffer);
        benchmark::DoNotOptimize(image.getPixels());
    }
    reportSizes(state, path);
}

// stb_image reading the file itself, or decoding our copy of it.
void BM_Stb(benchmark::State& state, const char* name, bool fromMemory, bool bulkMemory) {
    std::string path = benchFile(name);
    ImageBuffer buffer(path);
    stbUsesBulkMemory = bulkMemory;
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        stbi_uc* pixels =
            fromMemory ? stbi_load_from_memory(buffer.getData(), buffer.getLength(), &w, &h, &n, 0)
                       : stbi_load(path.c_str(), &w, &h, &n, 0);
        if (pixels == nullptr) {
            state.SkipWithError(stbi_failure_reason());
            break;
        }
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    reportSizes(state, path);
}

// Each file's benchmarks side by side: the bare read first.
int registerAll() {
    struct File {
        const char* label;
        const char* name;
        bool pcx;
    } files[] = {
        {"tga_raw24", "raw24.tga", false},
        {"tga_rle24", "rle24.tga", false},
        {"pcx_rgb24", "rgb24.pcx", true},
        {"pcx_palette8", "palette8.pcx", true},
    };
    auto add = [](const std::string& name, auto fn, auto... args) {
        benchmark::RegisterBenchmark(name.c_str(), fn, args...)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
    };
    for (const File& f : files) {
        std::string label = f.label;
        add(label + "/bare_read", BM_BareRead, f.name);
        add(label + "/write_output", BM_WriteOutput);
        if (f.pcx) {
            add(label + "/ours_file", BM_OursFromFile<ImagePCX>, f.name);
            add(label + "/ours_memory", BM_OursFromMemory<ImagePCX>, f.name);
        } else {
            add(label + "/ours_file", BM_OursFromFile<ImageTGA>, f.name);
            add(label + "/stb_file", BM_Stb, f.name, false, false);
            add(label + "/stb_file_bulk_memory", BM_Stb, f.name, false, true);
            add(label + "/ours_memory", BM_OursFromMemory<ImageTGA>, f.name);
            add(label + "/stb_memory", BM_Stb, f.name, true, false);
            add(label + "/stb_memory_bulk_memory", BM_Stb, f.name, true, true);
        }
    }
    return 0;
}

const int registered = registerAll();

} // namespace
