#include "platform/BulkMemory.h"

#include "platform/Sanitizers.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

const bool mapLargeArrays = !platform::underAddressSanitizer;

const size_t hugePage = 2u << 20;
const size_t mapThreshold = 4u << 20;

// Every array starts with this record, so that release knows how it came.
struct alignas(16) Header {
    void* mapping; // null for heap memory
    size_t mappedSize;
};

} // namespace

namespace platform {

unsigned char* allocateBulk(size_t size) {
    if (size > SIZE_MAX - sizeof(Header) - 2 * hugePage) {
        throw std::bad_alloc();
    }
    const size_t total = size + sizeof(Header);
    if (!mapLargeArrays || size < mapThreshold) {
        void* heap = malloc(total);
        if (heap == nullptr) {
            throw std::bad_alloc();
        }
        Header* header = static_cast<Header*>(heap);
        header->mapping = nullptr;
        header->mappedSize = 0;
        return reinterpret_cast<unsigned char*>(header + 1);
    }
    // Over-map by one huge page, so the array can start on a 2 MiB boundary
    // less its header, and give the unused ends back.
    size_t mapped = total + hugePage;
    void* mapping =
        mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        throw std::bad_alloc();
    }
    uintptr_t start = reinterpret_cast<uintptr_t>(mapping);
    uintptr_t aligned = (start + sizeof(Header) + hugePage - 1) / hugePage * hugePage;
    uintptr_t keep = aligned - sizeof(Header);
    uintptr_t keepPage = keep / 4096 * 4096;
    if (keepPage > start) {
        munmap(mapping, keepPage - start);
    }
    uintptr_t end = start + mapped;
    uintptr_t keepEnd = (keep + total + 4095) / 4096 * 4096;
    if (end > keepEnd) {
        munmap(reinterpret_cast<void*>(keepEnd), end - keepEnd);
    }
    madvise(reinterpret_cast<void*>(keepPage), keepEnd - keepPage, MADV_HUGEPAGE);
    Header* header = reinterpret_cast<Header*>(keep);
    header->mapping = reinterpret_cast<void*>(keepPage);
    header->mappedSize = keepEnd - keepPage;
    return reinterpret_cast<unsigned char*>(header + 1);
}

void releaseBulk(unsigned char* bytes) {
    if (bytes == nullptr) {
        return;
    }
    Header* header = reinterpret_cast<Header*>(bytes) - 1;
    if (header->mapping == nullptr) {
        free(header);
    } else {
        munmap(header->mapping, header->mappedSize);
    }
}

} // namespace platform
