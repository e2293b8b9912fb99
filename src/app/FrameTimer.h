#pragma once

#include <cstdint>

// Frame timing of the main loop: the previous frame's duration from SDL's
// millisecond ticks, and the frame rate once per accumulated second.
class FrameTimer {
public:
    // t1 and t2 are two successive tick readings taken at the start of a
    // frame; returns the previous frame's time in seconds. The readings are
    // SDL's 32-bit milliseconds: the difference is taken in 32 bits, so it
    // stays exact however long the game runs and across the counter's wrap.
    float beginFrame(uint32_t t1, uint32_t t2);

    // Counts the frame; once a second has accumulated, stores the frame rate
    // in fps and returns true.
    bool countFrame(float& fps);

    float getFrameTime() const { return frameTime; }
    float getFpsTime() const { return fpsTime; }
    unsigned int getFrames() const { return frames; }

private:
    float frameTime = 0.0f;
    uint32_t lastTicks = 0;
    unsigned int frames = 0;
    float fpsTime = 0.0f;
};
