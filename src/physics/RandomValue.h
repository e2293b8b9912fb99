#pragma once

namespace Quillmere {
namespace Physics {

// A u in [0, 1], both ends possible, from the game's shared random source.
float randomUnit();

// An offset of up to spread in the direction of the distribution (see
// RandomValue); 0 for an unknown distribution, without drawing.
float randomOffset(float spread, int distribution);

// An emitter parameter with a random spread around its base value.
class RandomValue {
public:
    enum Distribution { Positive = 0, Negative = 1, Symmetric = 2 };

    float value;
    float variance;
    // One of Distribution; any other number means no randomness.
    int distribution;

    RandomValue() : value(0.0f), variance(0.0f), distribution(Symmetric) {}
    RandomValue(float value, float variance, int distribution)
        : value(value), variance(variance), distribution(distribution) {}

    // value moved by up to variance.
    float sample() const;

    // value moved by up to variance times itself; never below 0 except for
    // Positive, which only grows a positive value.
    float sampleRelative() const;
};

} // namespace Physics
} // namespace Quillmere
