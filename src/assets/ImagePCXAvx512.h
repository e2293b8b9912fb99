#pragma once

struct PCXPicture;

// Decodes the picture 64 file bytes at a time, with 64-byte permutes and
// byte compression. Only for a processor with AVX-512 F, BW, VBMI and VBMI2,
// BMI2 and POPCNT; throws ImageException where the data runs out.
void decodePCXAvx512(const PCXPicture& picture);
