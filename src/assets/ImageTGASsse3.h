#pragma once

#include <cstddef>

// The TGA decoder's paths through 16-byte shuffles, for a processor with
// SSSE3. Pixels of 3 or 4 bytes; order says where channels 0..3 of a file
// pixel land in the output pixel.

// Moves pixels through the channel table four at a time while four whole
// ones are left. Returns how many it took.
size_t shuffleTgaPixelsSsse3(const unsigned char* in, unsigned char* out, size_t count, int size,
                             const int* order);

// Run-length packets while both the file and the picture have room for the
// largest packet and the whole 16-byte stores it is made of, so that no
// packet needs a check of its own. Leaves in and out at the first packet it
// did not take.
void decodeTgaRleSsse3(int size, const unsigned char*& in, const unsigned char* inEnd,
                       unsigned char*& out, const unsigned char* outEnd, const int* order);
