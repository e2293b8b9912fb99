#pragma once

#include "platform/VectorUnits.h"

#include <string>
#include <vector>

// The vector levels this processor has, the portable one first.
std::vector<platform::VectorLevel> processorVectorLevels();

// A level's name, for test messages.
std::string vectorLevelName(platform::VectorLevel level);

// Caps the vector instructions the decoders may use for the life of the
// object.
class ScopedVectorLevel {
public:
    explicit ScopedVectorLevel(platform::VectorLevel level);
    ~ScopedVectorLevel();
    ScopedVectorLevel(const ScopedVectorLevel&) = delete;
    ScopedVectorLevel& operator=(const ScopedVectorLevel&) = delete;
};
