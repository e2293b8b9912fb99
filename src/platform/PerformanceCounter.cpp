#include "platform/PerformanceCounter.h"

#include <ctime>

namespace platform {

namespace {
const int64_t FREQUENCY = 10000000;
CounterSource overrideSource = nullptr;
} // namespace

int64_t performanceFrequency() {
    return FREQUENCY;
}

int64_t performanceCounter() {
    if (overrideSource != nullptr) {
        return overrideSource();
    }
    return systemPerformanceCounter();
}

int64_t systemPerformanceCounter() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * FREQUENCY + ts.tv_nsec / 100;
}

void setPerformanceCounterSource(CounterSource source) {
    overrideSource = source;
}

} // namespace platform
