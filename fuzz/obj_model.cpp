// OBJ and MTL text as untrusted input. The bytes up to the first zero are
// the OBJ file; the rest is served as every material library it names.
#include "assets/OBJModelData.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const char* text = reinterpret_cast<const char*>(bytes);
    const void* zero = std::memchr(text, 0, size);
    size_t objSize = zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : size;
    std::string library = zero ? std::string(text + objSize + 1, size - objSize - 1) : "";

    for (bool generateNormals : {false, true}) {
        OBJModelData data;
        data.loadText(text, objSize, "", generateNormals,
                      [&](const std::string&, std::string* contents) {
                          *contents = library;
                          return zero != nullptr;
                      });
        // What drawing relies on: every index inside its array.
        const auto& indices = data.getIndexBuffer();
        if (indices.size() != 3 * size_t(data.getNumberOfTriangles())) {
            __builtin_trap();
        }
        for (int32_t i : indices) {
            if (i < 0 || size_t(i) >= data.getVertexBuffer().size()) {
                __builtin_trap();
            }
        }
        for (const auto& mesh : data.getMeshes()) {
            if (mesh.startIndex < 0 || mesh.triangleCount <= 0 ||
                size_t(mesh.startIndex) + 3 * size_t(mesh.triangleCount) > indices.size() ||
                mesh.material < data.getMaterials().data() ||
                mesh.material >= data.getMaterials().data() + data.getMaterials().size()) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
