#pragma once

#include "core/Random.h"

#include <gtest/gtest.h>

// Seeds the game's random source so that its next draw is r, found by trying
// seeds rather than by knowing the generator.
inline void seedForNextDraw(int r) {
    for (unsigned int seed = 0; seed < (1u << 26); ++seed) {
        Random::seed(seed);
        if (Random::next() == r) {
            Random::seed(seed);
            return;
        }
    }
    FAIL() << "no seed gives " << r << " first";
}
