#pragma once

#include "core/IClock.h"

// A clock whose delta the test sets. Each tick() takes the next delta from
// tickDelta, so a test can also drive code that ticks the clock itself.
class FakeClock : public Quillmere::IClock {
public:
    float delta = 0.0f;
    float tickDelta = 0.0f;
    int ticks = 0;

    void reset() override { delta = 0.0f; }
    void tick() override {
        delta = tickDelta;
        ticks += 1;
    }
    void skip() override { delta = 0.0f; }
    float getDeltaMilliseconds() override { return delta * 1000.0f; }
    float getElapsedMilliseconds() override { return 0.0f; }
    float getDeltaSeconds() override { return delta; }
    float getElapsedSeconds() override { return 0.0f; }
    int getFramesPerSecond() override { return 0; }
};

// Installs a FakeClock as the global clock for the life of this object.
class ScopedFakeClock {
public:
    ScopedFakeClock() : previous(Quillmere::getClock()) { Quillmere::setClock(&clock); }
    ~ScopedFakeClock() { Quillmere::setClock(previous); }
    ScopedFakeClock(const ScopedFakeClock&) = delete;
    ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;

    FakeClock clock;

private:
    Quillmere::IClock* previous;
};
