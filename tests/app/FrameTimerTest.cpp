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

TEST(FrameTimerTest, FrameTimesStayExactLateInALongRunAndAcrossTheTickWrap) {
    // Past 2^24 ms a float no longer holds every millisecond, and at 2^32
    // SDL's counter starts again from 0.
    struct Case {
        const char* what;
        uint32_t previous, now;
        float seconds;
    };
    const Case cases[] = {
        {"at 2^24 ms, odd readings", (1u << 24) + 1, (1u << 24) + 18, 0.017f},
        {"after three days", 259200001u, 259200008u, 0.007f},
        {"across the wrap", 0xFFFFFFF5u, 0x00000006u, 0.017f},
        {"onto the wrap", 0xFFFFFFFFu, 0x00000000u, 0.001f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrameTimer timer;
        timer.beginFrame(c.previous, c.previous);
        EXPECT_FLOAT_EQ(timer.beginFrame(c.now, c.now), c.seconds);
        EXPECT_FLOAT_EQ(timer.beginFrame(c.now + 5, c.now + 5), 0.005f);
    }
}
