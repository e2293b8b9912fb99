#pragma once

namespace Quillmere {

// Frame clock of the engine layer. Clocks are never deleted through this
// interface, so it has no virtual destructor.
class IClock {
public:
    virtual void reset() = 0;
    virtual void tick() = 0;
    // Drops the time since the last tick: the next delta counts from now,
    // and this one is 0, as if the clock had stood still meanwhile.
    virtual void skip() = 0;
    virtual float getDeltaMilliseconds() = 0;
    virtual float getElapsedMilliseconds() = 0;
    virtual float getDeltaSeconds() = 0;
    virtual float getElapsedSeconds() = 0;
    virtual int getFramesPerSecond() = 0;

protected:
    ~IClock() = default;
};

// The global clock: null until start-up installs one.
void setClock(IClock* clock);
IClock* getClock();

} // namespace Quillmere
