#include "support/VectorLevels.h"

namespace {

// No cap at all: the processor's own level decides.
const platform::VectorLevel uncapped = platform::VectorLevel::avx512;

} // namespace

std::vector<platform::VectorLevel> processorVectorLevels() {
    std::vector<platform::VectorLevel> levels;
    const platform::VectorLevel own = platform::vectorLevel();
    for (platform::VectorLevel level :
         {platform::VectorLevel::portable, platform::VectorLevel::ssse3,
          platform::VectorLevel::avx512}) {
        if (level <= own) {
            levels.push_back(level);
        }
    }
    return levels;
}

std::string vectorLevelName(platform::VectorLevel level) {
    switch (level) {
    case platform::VectorLevel::portable:
        return "portable";
    case platform::VectorLevel::ssse3:
        return "ssse3";
    case platform::VectorLevel::avx512:
        return "avx512";
    }
    return "level " + std::to_string(static_cast<int>(level));
}

ScopedVectorLevel::ScopedVectorLevel(platform::VectorLevel level) {
    platform::capVectorLevel(level);
}

ScopedVectorLevel::~ScopedVectorLevel() {
    platform::capVectorLevel(uncapped);
}
