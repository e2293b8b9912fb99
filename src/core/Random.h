#pragma once

// The game's one pseudo-random source, shared by everything that rolls dice
// so that a test can reseed it and replay a run exactly. The game itself
// never seeds it: every run plays out the same sequence.
class Random {
public:
    static constexpr int MAX = 32767;

    // The next integer, uniform over 0..MAX with both ends included.
    static int next();

    // Restarts the sequence; seed 1 is where an unseeded run begins.
    static void seed(unsigned int value);
    // Where the sequence stands: seeding with it carries on from here.
    static unsigned int state();
};
