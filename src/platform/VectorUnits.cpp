#include "platform/VectorUnits.h"

#include <atomic>

namespace {

platform::VectorLevel processorLevel() {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
        __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt")) {
        return platform::VectorLevel::avx512;
    }
    if (__builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt")) {
        return platform::VectorLevel::ssse3;
    }
#endif
    return platform::VectorLevel::portable;
}

std::atomic<platform::VectorLevel> cap{platform::VectorLevel::avx512};

} // namespace

namespace platform {

VectorLevel vectorLevel() {
    static const VectorLevel own = processorLevel();
    const VectorLevel limit = cap.load(std::memory_order_relaxed);
    return own < limit ? own : limit;
}

void capVectorLevel(VectorLevel level) {
    cap.store(level, std::memory_order_relaxed);
}

} // namespace platform
