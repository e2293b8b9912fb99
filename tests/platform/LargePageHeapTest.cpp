#include "platform/LargePageHeap.h"

#include "platform/Sanitizers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

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

// True when every piece, twice allocated and freed, lies in a mapping
// advised for large pages; the first that does not is named on standard
// error. A texture with its mipmaps, the window's pixels and a large model's
// vertices would otherwise each be mapped on their own in 4 KiB pages; the
// second round takes what the first gave back.
bool piecesComeFromLargePages() {
    bool all = true;
    for (size_t size : {size_t(350464), size_t(3u << 20), size_t(12u << 20)}) {
        for (int round = 0; round < 2; ++round) {
            void* piece = std::malloc(size);
            const std::string flags = piece != nullptr ? mappingFlags(piece) : "no memory";
            if (flags.find(" hg") == std::string::npos) {
                std::fprintf(stderr, "%zu bytes, round %d: %s\n", size, round, flags.c_str());
                all = false;
            }
            std::free(piece);
        }
    }
    return all;
}

long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

} // namespace

TEST(LargePageHeapTest, MiddlingAndLargePiecesComeFromTheLargePageHeapAndReturnThere) {
    if (platform::underAddressSanitizer) {
        GTEST_SKIP() << "the sanitizer's allocator is its own";
    }
    if (access("/sys/kernel/mm/transparent_hugepage", F_OK) != 0) {
        GTEST_SKIP() << "this kernel has no large pages to advise";
    }
    // In a process started afresh: one that has run other tests holds free
    // pieces of its old heap, which malloc rightly hands out first.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform::reserveLargePageHeap();
            std::_Exit(piecesComeFromLargePages() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The renderer takes and frees buffers of a few megabytes in every draw: one
// freed is found again in the heap, and no page of it is faulted in anew.
TEST(LargePageHeapTest, ABufferFreedEveryFrameIsReusedWithoutPageFaults) {
    if (platform::underAddressSanitizer) {
        GTEST_SKIP() << "the sanitizer's allocator is its own";
    }
    platform::reserveLargePageHeap();
    const size_t size = 3u << 20;
    const int frames = 20;
    long faultsAfterFirst = 0;
    for (int frame = 0; frame < frames; ++frame) {
        const long before = minorFaults();
        auto* bytes = static_cast<unsigned char*>(std::malloc(size));
        ASSERT_NE(bytes, nullptr);
        std::memset(bytes, frame, size);
        EXPECT_EQ(bytes[size - 1], static_cast<unsigned char>(frame));
        std::free(bytes);
        if (frame > 0) {
            faultsAfterFirst += minorFaults() - before;
        }
    }
    // Each time it went back to the kernel it would cost 768 faults.
    EXPECT_LT(faultsAfterFirst, 100) << "page faults over " << frames - 1 << " frames";
}
