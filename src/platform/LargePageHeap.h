#pragma once

// Start-up fills the heap with some 20 MB in thousands of small and middling
// pieces: textures, glyphs, models and the OpenGL driver's own. On this
// platform every freshly touched 4 KiB page costs microseconds, which made
// page faults the largest single cost of reaching the first frame.
namespace platform {

// Grows the heap once by a block advised for 2 MiB pages and keeps it, and
// whatever is freed later, in the heap rather than handing it back; every
// allocation below 32 MB then comes from the heap. Call it first thing, on
// the one thread, before the libraries allocate. Does nothing in a build
// under AddressSanitizer, whose allocator is its own.
void reserveLargePageHeap();

} // namespace platform
