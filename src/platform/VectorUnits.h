#pragma once

// Which of the processor's vector instructions the decoders may use. Every
// path a decoder has gives the same result; a lower level only makes it take
// a narrower one, which is how the tests and the fuzz target compare them on
// one machine.
namespace platform {

enum class VectorLevel {
    portable, // plain C++
    ssse3,    // 16-byte shuffles, and POPCNT
    avx512    // 64-byte permutes and byte compression: F, BW, VBMI, VBMI2, and BMI2
};

// What this processor has, but no more than the cap.
VectorLevel vectorLevel();

// Caps vectorLevel(); the processor's own level is the cap at start.
void capVectorLevel(VectorLevel cap);

} // namespace platform
