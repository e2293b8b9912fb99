#pragma once

#include "core/IClock.h"

#include <cstdint>

namespace Quillmere {

// Frame clock on the high-resolution performance counter. It keeps only the
// low 32 bits of the counter and of its frequency.
class ClockHighDef : public IClock {
public:
    ClockHighDef();
    virtual ~ClockHighDef() = default;

    void reset() override;
    void tick() override;
    void skip() override;
    float getDeltaMilliseconds() override;
    float getElapsedMilliseconds() override;
    float getDeltaSeconds() override;
    float getElapsedSeconds() override;
    int getFramesPerSecond() override;

private:
    int32_t deltaTicks;
    int32_t lastCount;
    int32_t windowTicks;
    int32_t frequency;
    float elapsedTicks;
    int32_t framesPerSecond;
    int32_t windowFrames;
};

} // namespace Quillmere
