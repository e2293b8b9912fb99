#pragma once

#include <cstddef>

// Byte arrays of many megabytes: whole image files and decoded pictures.
// On this platform every freshly touched 4 KiB page costs microseconds, so a
// large array is mapped where the kernel can back it with 2 MiB pages (ten
// to twenty times cheaper to fault in). Small arrays, and every array in a
// sanitizer build (whose checks need the ordinary heap), come from the heap.
namespace platform {

// Uninitialised bytes; throws std::bad_alloc when there is no room.
unsigned char* allocateBulk(size_t size);

// Releases what allocateBulk gave; null is ignored.
void releaseBulk(unsigned char* bytes);

} // namespace platform
