#include "platform/LargePageHeap.h"

#include "platform/Sanitizers.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace {

const uintptr_t smallPage = 4096;
// The largest piece glibc will still take from the heap; the block below
// must stay under it to be carved from the heap at all.
const int largestHeapPiece = 32 << 20;
// Start-up's heap stays inside it up to the first frame.
const size_t reserve = 30u << 20;
// Free memory at the heap's top is kept up to this much.
const int keptWhenFreed = 64 << 20;

} // namespace

namespace platform {

void reserveLargePageHeap() {
    if (underAddressSanitizer) {
        return;
    }
    // Textures and pictures of a few hundred KB would otherwise each get a
    // mapping of their own, faulted in afresh 4 KiB at a time.
    mallopt(M_MMAP_THRESHOLD, largestHeapPiece);
    mallopt(M_TRIM_THRESHOLD, keptWhenFreed);
    void* block = malloc(reserve);
    if (block == nullptr) {
        return;
    }
    // Touching nothing: the pages come when used, 2 MiB at a time where a
    // whole aligned 2 MiB lies inside, 4 KiB at a time at the ragged ends.
    const uintptr_t first = reinterpret_cast<uintptr_t>(block) / smallPage * smallPage;
    const uintptr_t last = reinterpret_cast<uintptr_t>(block) + reserve;
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    free(block);
}

} // namespace platform
