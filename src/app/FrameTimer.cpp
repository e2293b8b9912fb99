#include "app/FrameTimer.h"

float FrameTimer::beginFrame(uint32_t t1, uint32_t t2) {
    const uint32_t elapsed = t1 - lastTicks;
    frameTime = static_cast<float>(elapsed / 1000.0);
    lastTicks = t2;
    return frameTime;
}

bool FrameTimer::countFrame(float& fps) {
    frames += 1;
    fpsTime += frameTime;
    if (fpsTime >= 1.0f) {
        fps = frames / fpsTime;
        // The excess over a second carries into the next one.
        fpsTime -= 1.0f;
        frames = 0;
        return true;
    }
    return false;
}
