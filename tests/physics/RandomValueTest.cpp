#include "physics/RandomValue.h"
#include "core/Random.h"
#include "physics/Vector3f.h"

#include <gtest/gtest.h>

#include <algorithm>

using Quillmere::Physics::randomOffset;
using Quillmere::Physics::randomUnit;
using Quillmere::Physics::RandomValue;

namespace {

// The u that the next draw after seed(s) will give.
float unitAfterSeed(unsigned int s) {
    Random::seed(s);
    return static_cast<float>(Random::next()) / 32767.0f;
}

// Index of the first draw after seed(1) that gives k.
int drawsUntil(int k) {
    Random::seed(1);
    for (int i = 0;; ++i) {
        if (Random::next() == k) {
            return i;
        }
    }
}

} // namespace

TEST(RandomValueTest, UnitReachesZeroAndOneExactly) {
    for (int k : {0, Random::MAX}) {
        int skip = drawsUntil(k);
        Random::seed(1);
        for (int i = 0; i < skip; ++i) {
            Random::next();
        }
        EXPECT_EQ(randomUnit(), k == 0 ? 0.0f : 1.0f);
    }
}

TEST(RandomValueTest, OffsetsFollowTheirDistribution) {
    for (unsigned int s : {3u, 4u, 5u}) {
        float u = unitAfterSeed(s);
        Random::seed(s);
        EXPECT_FLOAT_EQ(randomOffset(4.0f, RandomValue::Positive), 4.0f * u);
        Random::seed(s);
        EXPECT_FLOAT_EQ(randomOffset(4.0f, RandomValue::Negative), -4.0f * u);
        Random::seed(s);
        EXPECT_FLOAT_EQ(randomOffset(4.0f, RandomValue::Symmetric), 4.0f * (2.0f * u - 1.0f));
    }
}

TEST(RandomValueTest, UnknownDistributionIsFixedAndDrawsNothing) {
    for (int distribution : {3, -1, 100}) {
        RandomValue v(7.0f, 100.0f, distribution);
        Random::seed(9);
        Random::next();
        int expectedNext = Random::next();
        Random::seed(9);
        Random::next();
        EXPECT_EQ(v.sample(), 7.0f);
        EXPECT_EQ(v.sampleRelative(), 7.0f);
        EXPECT_EQ(randomOffset(5.0f, distribution), 0.0f);
        EXPECT_EQ(Random::next(), expectedNext) << "a fixed value must not use up a draw";
    }
}

TEST(RandomValueTest, SampleIsNeverClamped) {
    RandomValue negative(1.0f, 5.0f, RandomValue::Negative);
    float u = unitAfterSeed(21);
    Random::seed(21);
    EXPECT_FLOAT_EQ(negative.sample(), 1.0f - 5.0f * u);
    ASSERT_GT(u, 0.2f) << "pick a seed that drives the sample below zero";
    Random::seed(21);
    EXPECT_LT(negative.sample(), 0.0f);
}

TEST(RandomValueTest, RelativeSymmetricStaysWithinItsSpread) {
    RandomValue v(10.0f, 0.5f, RandomValue::Symmetric);
    Random::seed(2024);
    float low = 100.0f;
    float high = -100.0f;
    for (int i = 0; i < 20000; ++i) {
        float x = v.sampleRelative();
        low = std::min(low, x);
        high = std::max(high, x);
    }
    EXPECT_GE(low, 5.0f);
    EXPECT_LE(high, 15.0f);
    EXPECT_LT(low, 5.01f);
    EXPECT_GT(high, 14.99f);
}

TEST(RandomValueTest, RelativeNegativeAndSymmetricClampAtZero) {
    RandomValue negative(10.0f, 2.0f, RandomValue::Negative);
    int zeros = 0;
    for (unsigned int s = 1; s < 2000; ++s) {
        float u = unitAfterSeed(s);
        Random::seed(s);
        float x = negative.sampleRelative();
        if (u >= 0.5f) {
            ASSERT_EQ(x, 0.0f) << "u " << u;
            zeros += 1;
        } else {
            ASSERT_FLOAT_EQ(x, 10.0f - 20.0f * u) << "u " << u;
        }
    }
    EXPECT_GT(zeros, 800);

    RandomValue symmetric(2.0f, 3.0f, RandomValue::Symmetric);
    for (unsigned int s = 1; s < 200; ++s) {
        float u = unitAfterSeed(s);
        Random::seed(s);
        ASSERT_FLOAT_EQ(symmetric.sampleRelative(),
                        std::max(0.0f, 2.0f + 6.0f * (2.0f * u - 1.0f)));
    }
}

TEST(RandomValueTest, RelativePositiveOfANegativeValueStaysNegative) {
    RandomValue v(-10.0f, 0.5f, RandomValue::Positive);
    float u = unitAfterSeed(33);
    Random::seed(33);
    EXPECT_FLOAT_EQ(v.sampleRelative(), -10.0f - 5.0f * u);
}

TEST(Vector3fTest, DotIsSummedBeforeRounding) {
    using Quillmere::Vector3f;
    // In float, 1e8 + 1 rounds back to 1e8 and the 1 is lost before the
    // -1e8 comes in; summed wide it survives.
    Vector3f a(1e4f, 1.0f, 1e4f);
    Vector3f b(1e4f, 1.0f, -1e4f);
    EXPECT_EQ(Quillmere::dot(a, b), 1.0f);
    Vector3f c = a - b;
    Vector3f d = a + b * 2.0f;
    EXPECT_EQ(c.z, 2e4f);
    EXPECT_EQ(d.x, 3e4f);
    EXPECT_EQ(a.x, 1e4f) << "operands stay unchanged";
}
