#pragma once

#include <cstdint>

// A monotonic high-resolution counter at a fixed rate, standing in for the
// Windows performance counter.
namespace platform {

// Counter ticks per second: always 10 MHz.
int64_t performanceFrequency();

// The current counter value, from the monotonic system clock.
int64_t performanceCounter();

// The system clock's reading, whatever source is set.
int64_t systemPerformanceCounter();

// Tests replace the counter with a source of their own; null restores the
// system clock.
using CounterSource = int64_t (*)();
void setPerformanceCounterSource(CounterSource source);

} // namespace platform
