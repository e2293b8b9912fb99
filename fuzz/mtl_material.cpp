// A material library as untrusted input, read for a fixed model that names
// it and uses materials from it, among them some the library may not have.
#include "assets/OBJModelData.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const char MODEL[] = "mtllib field.mtl\n"
                     "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                     "vt 0 0\nvt 1 0\nvt 1 1\n"
                     "usemtl post\nf 1/1 2/2 3/3\n"
                     "usemtl rail\nf 1/1 3/3 4/2\n"
                     "usemtl\nf 1 2 4\n"
                     "usemtl nowhere\nf 2 3 4\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string library(reinterpret_cast<const char*>(bytes), size);
    OBJModelData data;
    data.loadText(MODEL, sizeof MODEL - 1, "", false,
                  [&](const std::string&, std::string* contents) {
                      *contents = library;
                      return true;
                  });
    // What drawing relies on: every mesh names a material the model holds.
    for (const auto& mesh : data.getMeshes()) {
        if (mesh.material < data.getMaterials().data() ||
            mesh.material >= data.getMaterials().data() + data.getMaterials().size()) {
            __builtin_trap();
        }
    }
    return 0;
}
