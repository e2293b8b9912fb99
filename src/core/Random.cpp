#include "core/Random.h"

#include <cstdint>

namespace {

// The portable generator of the C standard's own example, so the sequence
// is the same on every platform and compiler.
uint32_t state = 1;

} // namespace

int Random::next() {
    state = state * 1103515245u + 12345u;
    // The high bits: an LCG's low bits repeat with short periods.
    return static_cast<int>((state / 65536u) % 32768u);
}

void Random::seed(unsigned int value) {
    state = value;
}
