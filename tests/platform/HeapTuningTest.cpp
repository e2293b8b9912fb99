#include "platform/HeapTuning.h"
#include "platform/Sanitizers.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>

namespace {

long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

} // namespace

// A renderer's buffer of a few megabytes, taken and given back every frame,
// is found again in the process: no page of it is faulted in a second time.
TEST(HeapTuningTest, ABufferFreedEveryFrameIsReusedWithoutPageFaults) {
    if (platform::heapIsSanitized) {
        GTEST_SKIP() << "the sanitizer's allocator replaces the C library's";
    }
    platform::keepFreedHeap();
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
