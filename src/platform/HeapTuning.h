#pragma once

// The renderer allocates and frees buffers of hundreds of kilobytes in every
// draw. Left to its defaults, the C library hands such blocks back to the
// kernel as soon as they are freed, and the next frame pays a page fault for
// every 4 KiB of them again; a frame then spends more time in the kernel
// than in the game. This keeps freed memory in the process for reuse.
namespace platform {

// Call once, early; later calls change nothing.
void keepFreedHeap();

} // namespace platform
