#include "platform/LargePageHeap.h"

#include "platform/Sanitizers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// The VmFlags line of the mapping that holds address, from /proc/self/smaps;
// empty when no mapping holds it.
std::string mappingFlags(const void* address) {
    const uintptr_t wanted = reinterpret_cast<uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        uintptr_t start = 0, end = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> start >> dash >> end && dash == '-') {
            inside = start <= wanted && wanted < end;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line;
        }
    }
    return "";
}

} // namespace

TEST(LargePageHeapTest, MiddlingAndLargePiecesComeFromTheLargePageHeapAndReturnThere) {
    if (platform::underAddressSanitizer) {
        GTEST_SKIP() << "the sanitizer's allocator is its own";
    }
    platform::reserveLargePageHeap();
    // A texture with its mipmaps, a decoded skin, the window's pixels: each
    // would otherwise be mapped on its own in 4 KiB pages. Each size twice:
    // the second comes from what the first gave back.
    for (size_t size : {size_t(64u << 10), size_t(350464), size_t(3u << 20), size_t(12u << 20)}) {
        for (int round = 0; round < 2; ++round) {
            void* piece = malloc(size);
            ASSERT_NE(piece, nullptr);
            const std::string flags = mappingFlags(piece);
            EXPECT_NE(flags.find(" hg"), std::string::npos)
                << size << " bytes, round " << round << ": " << flags;
            free(piece);
        }
    }
}
