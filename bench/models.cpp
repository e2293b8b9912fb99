// Loading a large OBJ (about a million triangles with positions, texture
// coordinates and normals) beside tinyobjloader on the same file, and a
// large MD2; each beside a bare read of the file, the floor.
#include "assets/MD2Model.h"
#include "assets/MappedFile.h"
#include "assets/OBJModel.h"
#include "md2/MD2Writer.h"

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

const int gridSize = 708; // 708 x 708 quads: 1,002,528 triangles

std::string benchDir() {
    static std::string dir = [] {
        auto path = std::filesystem::temp_directory_path() / "morrowfen_bench_models";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return dir;
}

// A rolling landscape written as an exporter writes one: all positions, then
// texture coordinates, then normals, then quads by rows, two materials.
const std::string& largeObj() {
    static std::string path = [] {
        std::string file = benchDir() + "/terrain.obj";
        FILE* mtl = std::fopen((benchDir() + "/terrain.mtl").c_str(), "w");
        FILE* obj = std::fopen(file.c_str(), "w");
        if (!mtl || !obj) {
            throw std::runtime_error("cannot write the benchmark files");
        }
        std::fprintf(mtl, "newmtl grass\nKa 0.2 0.3 0.2\nKd 0.3 0.7 0.2\nKs 0 0 0\nNs 10\n"
                          "map_Kd grass.tga\n\nnewmtl rock\nKd 0.5 0.5 0.5\nd 1\nillum 2\n");
        std::fclose(mtl);
        std::fprintf(obj, "# terrain\nmtllib terrain.mtl\no terrain\n");
        const int n = gridSize + 1;
        auto height = [](int x, int z) { return 12.0 * std::sin(x * 0.05) * std::cos(z * 0.07); };
        for (int z = 0; z < n; ++z) {
            for (int x = 0; x < n; ++x) {
                std::fprintf(obj, "v %.6f %.6f %.6f\n", x - n / 2.0, height(x, z), z - n / 2.0);
            }
        }
        for (int z = 0; z < n; ++z) {
            for (int x = 0; x < n; ++x) {
                std::fprintf(obj, "vt %.6f %.6f\n", x / double(n - 1), z / double(n - 1));
            }
        }
        for (int z = 0; z < n; ++z) {
            for (int x = 0; x < n; ++x) {
                double dx = height(x + 1, z) - height(x - 1, z);
                double dz = height(x, z + 1) - height(x, z - 1);
                double l = std::sqrt(dx * dx + 4.0 + dz * dz);
                std::fprintf(obj, "vn %.6f %.6f %.6f\n", -dx / l, 2.0 / l, -dz / l);
            }
        }
        for (int z = 0; z < gridSize; ++z) {
            if (z % 64 == 0) {
                std::fprintf(obj, "g rows%d\nusemtl %s\ns 1\n", z, z % 128 ? "rock" : "grass");
            }
            for (int x = 0; x < gridSize; ++x) {
                int a = z * n + x + 1, b = a + 1, c = a + n + 1, d = a + n;
                std::fprintf(obj, "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, d, d, d, c, c,
                             c, b, b, b);
            }
        }
        std::fclose(obj);
        return file;
    }();
    return path;
}

// 512 keyframes of a 4,096-vertex figure in eight animations.
const std::string& largeMd2() {
    static std::string path = [] {
        MD2Writer w;
        w.skinWidth = 256;
        w.skinHeight = 256;
        w.skins = {"figure.pcx"};
        const int vertices = 4096;
        for (int i = 0; i < vertices; ++i) {
            w.texCoords.push_back({int16_t(i % 256), int16_t(i / 16)});
        }
        for (int i = 0; i + 2 < vertices; ++i) {
            uint16_t a = uint16_t(i), b = uint16_t(i + 1), c = uint16_t(i + 2);
            w.triangles.push_back({{a, b, c}, {c, b, a}});
        }
        const char* names[] = {"stand", "run", "attack", "pain", "jump", "flip", "salute", "death"};
        for (int f = 0; f < 512; ++f) {
            MD2Writer::Frame frame;
            frame.scale = Vector3(0.25f, 0.25f, 0.3f);
            frame.translate = Vector3(-32.0f, -32.0f, -24.0f + f * 0.01f);
            frame.name = names[f / 64] + std::to_string(f % 64 + 10);
            for (int i = 0; i < vertices; ++i) {
                frame.vertices.push_back(
                    {{uint8_t(i + f), uint8_t(i * 7), uint8_t(i / 16)}, uint8_t((i + f) % 162)});
            }
            w.frames.push_back(frame);
        }
        std::string file = benchDir() + "/figure.md2";
        if (!w.write(file)) {
            throw std::runtime_error("cannot write the benchmark files");
        }
        return file;
    }();
    return path;
}

void setBytes(benchmark::State& state, const std::string& file) {
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(std::filesystem::file_size(file)));
}

// Two floors: the file read into memory of its own, and the file mapped with
// every byte looked at once (as the loaders take it).
size_t readIntoMemory(const std::string& file) {
    FILE* f = std::fopen(file.c_str(), "rb");
    std::string bytes(std::filesystem::file_size(file), '\0');
    size_t got = std::fread(&bytes[0], 1, bytes.size(), f);
    std::fclose(f);
    benchmark::DoNotOptimize(bytes.data());
    return got;
}

size_t mapAndCountLines(const std::string& file) {
    MappedFile mapped(file);
    size_t lines = 0;
    const char* p = mapped.text();
    const char* end = p + mapped.size();
    while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)))) != nullptr) {
        ++lines;
        ++p;
    }
    return lines;
}

void BM_ObjBareRead(benchmark::State& state) {
    const std::string& file = largeObj();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readIntoMemory(file));
    }
    setBytes(state, file);
}

void BM_ObjBareMap(benchmark::State& state) {
    const std::string& file = largeObj();
    for (auto _ : state) {
        benchmark::DoNotOptimize(mapAndCountLines(file));
    }
    setBytes(state, file);
}

void BM_ObjModelLoad(benchmark::State& state) {
    const std::string& file = largeObj();
    for (auto _ : state) {
        OBJModel model;
        model.load(file, false);
        benchmark::DoNotOptimize(model.getData().getVertexBuffer().data());
        state.counters["triangles"] = model.getData().getNumberOfTriangles();
    }
    setBytes(state, file);
}

void BM_TinyObjLoad(benchmark::State& state) {
    const std::string& file = largeObj();
    for (auto _ : state) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, file.c_str(),
                         (benchDir() + "/").c_str(), true);
        size_t triangles = 0;
        for (const auto& shape : shapes) {
            triangles += shape.mesh.num_face_vertices.size();
        }
        state.counters["triangles"] = double(triangles);
    }
    setBytes(state, file);
}

void BM_Md2BareRead(benchmark::State& state) {
    const std::string& file = largeMd2();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readIntoMemory(file));
    }
    setBytes(state, file);
}

void BM_Md2BareMap(benchmark::State& state) {
    const std::string& file = largeMd2();
    for (auto _ : state) {
        benchmark::DoNotOptimize(mapAndCountLines(file));
    }
    setBytes(state, file);
}

// A figure made from a file read afresh: the file's time is moved on,
// untimed, so that the model cache reads it again, as for a first figure.
void BM_Md2ModelLoad(benchmark::State& state) {
    const std::string& file = largeMd2();
    time_t stamp = 1;
    for (auto _ : state) {
        state.PauseTiming();
        const struct timespec times[2] = {{0, UTIME_OMIT}, {stamp++, 0}};
        utimensat(AT_FDCWD, file.c_str(), times, 0);
        state.ResumeTiming();
        MD2Model model(file);
        benchmark::DoNotOptimize(model.getData().getFrames().data());
    }
    setBytes(state, file);
}

// Every figure after the first shares what the first read.
void BM_Md2ModelShared(benchmark::State& state) {
    const std::string& file = largeMd2();
    MD2Model first(file);
    for (auto _ : state) {
        MD2Model model(file);
        benchmark::DoNotOptimize(model.getData().getFrames().data());
    }
    setBytes(state, file);
}

} // namespace

// The machine is shared: with --benchmark_repetitions the fastest run says
// the most about the code.
double fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

#define MODEL_BENCHMARK(name)                                                                      \
    BENCHMARK(name)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest)

MODEL_BENCHMARK(BM_ObjBareRead);
MODEL_BENCHMARK(BM_ObjBareMap);
MODEL_BENCHMARK(BM_ObjModelLoad);
MODEL_BENCHMARK(BM_TinyObjLoad);
MODEL_BENCHMARK(BM_Md2BareRead);
MODEL_BENCHMARK(BM_Md2BareMap);
MODEL_BENCHMARK(BM_Md2ModelLoad);
MODEL_BENCHMARK(BM_Md2ModelShared);
