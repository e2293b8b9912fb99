#include "core/ClockHighDef.h"
#include "platform/PerformanceCounter.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

int64_t fakeCount = 0;
int64_t fakeCounter() {
    return fakeCount;
}

const int64_t HZ = 10000000;

class ClockHighDefTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeCount = 5000;
        platform::setPerformanceCounterSource(fakeCounter);
    }
    void TearDown() override { platform::setPerformanceCounterSource(nullptr); }
};

} // namespace

TEST_F(ClockHighDefTest, QueriesAreZeroUntilTheFirstTick) {
    Quillmere::ClockHighDef clock;
    fakeCount += HZ;
    EXPECT_EQ(clock.getDeltaSeconds(), 0.0f);
    EXPECT_EQ(clock.getElapsedMilliseconds(), 0.0f);
    EXPECT_EQ(clock.getFramesPerSecond(), 0);
    clock.tick(); // measures the time since construction
    EXPECT_FLOAT_EQ(clock.getDeltaSeconds(), 1.0f);
    EXPECT_FLOAT_EQ(clock.getDeltaMilliseconds(), 1000.0f);
    EXPECT_FLOAT_EQ(clock.getElapsedSeconds(), 1.0f);
    EXPECT_EQ(clock.getFramesPerSecond(), 1);
}

TEST_F(ClockHighDefTest, SixtyFramesASecond) {
    Quillmere::ClockHighDef clock;
    // 1/60 s in whole ticks falls just short, so 60 ticks leave the window
    // open and the 61st closes it.
    const int64_t frame = HZ / 60;
    for (int i = 0; i < 60; ++i) {
        fakeCount += frame;
        clock.tick();
        EXPECT_NEAR(clock.getDeltaSeconds(), 1.0 / 60.0, 1e-6);
    }
    EXPECT_EQ(clock.getFramesPerSecond(), 0);
    fakeCount += frame;
    clock.tick();
    EXPECT_EQ(clock.getFramesPerSecond(), 61);
    EXPECT_NEAR(clock.getElapsedSeconds(), 61.0 / 60.0, 1e-5);
}

TEST_F(ClockHighDefTest, LongFrameClosesTheWindowAndDropsTheExcess) {
    Quillmere::ClockHighDef clock;
    for (int i = 0; i < 3; ++i) {
        fakeCount += HZ / 10;
        clock.tick();
    }
    fakeCount += HZ * 3 / 2; // a 1.5 s frame
    clock.tick();
    EXPECT_EQ(clock.getFramesPerSecond(), 4);
    EXPECT_FLOAT_EQ(clock.getDeltaSeconds(), 1.5f);
    // The extra half second does not count towards the next window: another
    // 0.9 s of frames still leaves it open.
    for (int i = 0; i < 9; ++i) {
        fakeCount += HZ / 10;
        clock.tick();
    }
    EXPECT_EQ(clock.getFramesPerSecond(), 4);
    fakeCount += HZ / 10;
    clock.tick();
    EXPECT_EQ(clock.getFramesPerSecond(), 10);
}

TEST_F(ClockHighDefTest, WrapOfTheLow32BitsGivesAPositiveDelta) {
    fakeCount = (int64_t(1) << 32) - 1000; // just below a wrap of the low half
    Quillmere::ClockHighDef clock;
    fakeCount += 250000; // 25 ms later the low 32 bits have wrapped
    clock.tick();
    EXPECT_FLOAT_EQ(clock.getDeltaMilliseconds(), 25.0f);
    // The same across the sign bit of the low half.
    fakeCount = (int64_t(7) << 32) + 0x7FFFFF00;
    clock.reset();
    fakeCount += 0x200;
    clock.tick();
    EXPECT_FLOAT_EQ(clock.getDeltaSeconds(), 512.0f / HZ);
}

TEST_F(ClockHighDefTest, ResetClearsEverything) {
    Quillmere::ClockHighDef clock;
    for (int i = 0; i < 20; ++i) {
        fakeCount += HZ / 10;
        clock.tick();
    }
    ASSERT_GT(clock.getFramesPerSecond(), 0);
    clock.reset();
    EXPECT_EQ(clock.getFramesPerSecond(), 0);
    EXPECT_EQ(clock.getDeltaSeconds(), 0.0f);
    EXPECT_EQ(clock.getElapsedSeconds(), 0.0f);
}

TEST_F(ClockHighDefTest, GlobalClockStartsNullAndHoldsWhatIsSet) {
    EXPECT_EQ(Quillmere::getClock(), nullptr);
    Quillmere::ClockHighDef clock;
    Quillmere::setClock(&clock);
    EXPECT_EQ(Quillmere::getClock(), &clock);
    Quillmere::setClock(nullptr);
}

TEST(PerformanceCounterTest, TenMegahertzAndMonotonic) {
    EXPECT_EQ(platform::performanceFrequency(), 10000000);
    int64_t a = platform::performanceCounter();
    int64_t b = platform::performanceCounter();
    EXPECT_GE(b, a);
    EXPECT_GT(a, 0);
}

TEST_F(ClockHighDefTest, ASkippedStretchCountsForNothing) {
    Quillmere::ClockHighDef clock;
    fakeCount += HZ / 10;
    clock.tick();
    fakeCount += 30 * HZ; // a pause
    clock.skip();
    EXPECT_EQ(clock.getDeltaSeconds(), 0.0f);
    fakeCount += HZ / 50;
    clock.tick();
    EXPECT_FLOAT_EQ(clock.getDeltaSeconds(), 0.02f);
    EXPECT_FLOAT_EQ(clock.getElapsedSeconds(), 0.12f);
}
