#include "app/FrameTimer.h"

#include <gtest/gtest.h>

namespace {

// Runs frames of a fixed length in milliseconds, the two tick readings of a
// frame being equal; returns the fps value after the last frame.
float runFrames(FrameTimer& timer, uint32_t& ticks, uint32_t frameMs, int count, float fps) {
    for (int i = 0; i < count; ++i) {
        ticks += frameMs;
        timer.beginFrame(ticks, ticks);
        timer.countFrame(fps);
    }
    return fps;
}

} // namespace

TEST(FrameTimerTest, FirstFrameCountsFromTimerStart) {
    FrameTimer timer;
    EXPECT_FLOAT_EQ(timer.beginFrame(1500, 1502), 1.5f);
    // The next frame counts from the second reading.
    EXPECT_FLOAT_EQ(timer.beginFrame(1522, 1522), 0.02f);
}

TEST(FrameTimerTest, QuarterSecondFramesGiveFourEveryFourthFrame) {
    FrameTimer timer;
    uint32_t ticks = 0;
    timer.beginFrame(0, 0);
    float fps = 0.0f;
    for (int second = 0; second < 3; ++second) {
        for (int i = 0; i < 3; ++i) {
            ticks += 250;
            timer.beginFrame(ticks, ticks);
            EXPECT_FALSE(timer.countFrame(fps));
        }
        ticks += 250;
        timer.beginFrame(ticks, ticks);
        EXPECT_TRUE(timer.countFrame(fps));
        EXPECT_FLOAT_EQ(fps, 4.0f);
        EXPECT_EQ(timer.getFpsTime(), 0.0f);
        EXPECT_EQ(timer.getFrames(), 0u);
    }
}

TEST(FrameTimerTest, ExcessOverASecondCarriesOver) {
    FrameTimer timer;
    uint32_t ticks = 0;
    timer.beginFrame(0, 0);
    float fps = runFrames(timer, ticks, 300, 3, 0.0f);
    EXPECT_EQ(fps, 0.0f);
    fps = runFrames(timer, ticks, 300, 1, fps);
    EXPECT_NEAR(fps, 4.0 / 1.2, 1e-5);
    EXPECT_NEAR(timer.getFpsTime(), 0.2, 1e-5);
}

TEST(FrameTimerTest, FrameLongerThanASecondLeavesTheRestForTheNextFrame) {
    FrameTimer timer;
    uint32_t ticks = 0;
    timer.beginFrame(0, 0);
    float fps = runFrames(timer, ticks, 2500, 1, 0.0f);
    EXPECT_FLOAT_EQ(fps, 1.0f / 2.5f);
    EXPECT_FLOAT_EQ(timer.getFpsTime(), 1.5f);
    // The next frame closes a window again at once.
    fps = runFrames(timer, ticks, 10, 1, fps);
    EXPECT_FLOAT_EQ(fps, 1.0f / 1.51f);
    EXPECT_NEAR(timer.getFpsTime(), 0.51, 1e-5);
}
