// A font file as untrusted input, loaded the way start-up loads it. No
// OpenGL context is current here, so the texture and list calls do nothing:
// what runs is the font library's parsing and rasterising, and our checks
// and copies of every glyph bitmap it hands back.
#include "text_sound/Font.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

// The loader takes a path: each input is written to one scratch file.
std::string scratchFile() {
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/fuzz_font." +
                       std::to_string(getpid()) + ".ttf";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static const std::string path = scratchFile();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes, 1, size, file) != size || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    Font font;
    try {
        font.init(path.c_str(), 20);
    } catch (const std::runtime_error&) {
        // A clear refusal is the expected outcome for most inputs.
    }
    delete[] font.textures;
    return 0;
}
