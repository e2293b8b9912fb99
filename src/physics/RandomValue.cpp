#include "physics/RandomValue.h"

#include "core/Random.h"

namespace Quillmere {
namespace Physics {

float randomUnit() {
    return static_cast<float>(Random::next()) / static_cast<float>(Random::MAX);
}

float randomOffset(float spread, int distribution) {
    switch (distribution) {
    case RandomValue::Positive:
        return spread * randomUnit();
    case RandomValue::Negative:
        return -spread * randomUnit();
    case RandomValue::Symmetric:
        return spread * (2.0f * randomUnit() - 1.0f);
    default:
        return 0.0f;
    }
}

float RandomValue::sample() const {
    return value + randomOffset(variance, distribution);
}

float RandomValue::sampleRelative() const {
    float result = value + randomOffset(value * variance, distribution);
    // Lives and speeds below zero would make no sense; Positive only grows.
    if ((distribution == Negative || distribution == Symmetric) && result < 0.0f) {
        result = 0.0f;
    }
    return result;
}

} // namespace Physics
} // namespace Quillmere
