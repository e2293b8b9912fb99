#include "core/IClock.h"

namespace Quillmere {

namespace {
IClock* globalClock = nullptr;
}

void setClock(IClock* clock) {
    globalClock = clock;
}

IClock* getClock() {
    return globalClock;
}

} // namespace Quillmere
