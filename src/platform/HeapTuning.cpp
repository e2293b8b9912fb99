#include "platform/HeapTuning.h"

#include <malloc.h>

namespace platform {

void keepFreedHeap() {
    // Blocks below 32 MiB come from the heap, and the heap's top is only
    // given back once 256 MiB of it lie free. Pictures far larger than a
    // frame's buffers are still mapped on their own (see BulkMemory).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

} // namespace platform
