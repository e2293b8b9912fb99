#include "core/ClockHighDef.h"

#include "platform/PerformanceCounter.h"

namespace Quillmere {

namespace {
int32_t low32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}
} // namespace

ClockHighDef::ClockHighDef() {
    ClockHighDef::reset();
    frequency = low32(platform::performanceFrequency());
}

void ClockHighDef::reset() {
    lastCount = low32(platform::performanceCounter());
    deltaTicks = 0;
    windowTicks = 0;
    framesPerSecond = 0;
    windowFrames = 0;
    elapsedTicks = 0.0f;
}

void ClockHighDef::tick() {
    int32_t now = low32(platform::performanceCounter());
    // Unsigned subtraction stays right across a wrap of the low 32 bits.
    deltaTicks =
        static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(lastCount));
    elapsedTicks += static_cast<float>(deltaTicks);
    lastCount = now;
    // Summed wide so that one very long frame cannot overflow the window.
    int64_t window = static_cast<int64_t>(windowTicks) + deltaTicks;
    windowFrames += 1;
    if (window >= frequency) {
        // Ticks past the full second are dropped, not carried over.
        framesPerSecond = windowFrames;
        windowFrames = 0;
        windowTicks = 0;
    } else {
        windowTicks = static_cast<int32_t>(window);
    }
}

void ClockHighDef::skip() {
    lastCount = low32(platform::performanceCounter());
    deltaTicks = 0;
}

float ClockHighDef::getDeltaMilliseconds() {
    return static_cast<float>(deltaTicks / (frequency / 1000.0));
}

float ClockHighDef::getElapsedMilliseconds() {
    return static_cast<float>(elapsedTicks / (frequency / 1000.0));
}

float ClockHighDef::getDeltaSeconds() {
    return static_cast<float>(static_cast<double>(deltaTicks) / frequency);
}

float ClockHighDef::getElapsedSeconds() {
    return static_cast<float>(static_cast<double>(elapsedTicks) / frequency);
}

int ClockHighDef::getFramesPerSecond() {
    return framesPerSecond;
}

} // namespace Quillmere
