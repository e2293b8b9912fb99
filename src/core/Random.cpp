#include "core/Random.h"

#include <cstdint>

namespace {

// The portable generator of the C standard's own example, so the sequence
// is the same on every platform and compiler.
uint32_t sequence = 1;

} // namespace

int Random::next() {
    sequence = sequence * 1103515245u + 12345u;
    // The high bits: an LCG's low bits repeat with short periods.
    return static_cast<int>((sequence / 65536u) % 32768u);
}

void Random::seed(unsigned int value) {
    sequence = value;
}

unsigned int Random::state() {
    return sequence;
}
