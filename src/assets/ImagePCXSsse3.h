#pragma once

struct PCXPicture;

// Decodes the picture 64 file bytes at a time, with 16-byte shuffles. Only
// for a processor with SSSE3 and POPCNT; throws ImageException where the
// data runs out.
void decodePCXSsse3(const PCXPicture& picture);
