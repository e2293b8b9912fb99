// Demo files as untrusted input: read whole, as playback reads them, and
// held to what a reading promises.
#include "assets/DemoFormat.h"
#include "assets/DemoReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// What the reader hands over holds only values the game can take.
bool valuesInRange(const DemoReading& reading) {
    if (!demoformat::startProblem(reading.start).empty()) {
        return false;
    }
    for (const DemoFrame& frame : reading.frames) {
        for (const DemoEvent& event : frame.events) {
            if (!demoformat::eventTypeProblem(event.type).empty()) {
                return false;
            }
        }
        for (const std::vector<uint16_t>& keys : frame.keys) {
            if (!demoformat::keysProblem(keys).empty()) {
                return false;
            }
        }
        for (uint8_t focus : frame.focus) {
            if (focus > demoformat::MAX_FOCUS) {
                return false;
            }
        }
    }
    return true;
}

void check(const std::vector<uint8_t>& bytes) {
    const DemoReading reading = readDemo(bytes.data(), bytes.size(), "1.0.0");
    // A refusal is one line and hands nothing over; a reading either ended
    // or was cut short.
    const bool refusedCleanly = !reading.ok && !reading.error.empty() &&
                                reading.error.find('\n') == std::string::npos &&
                                reading.frames.empty();
    const bool readCleanly = reading.ok && reading.error.empty() &&
                             reading.ended != reading.cutShort && valuesInRange(reading);
    if (!refusedCleanly && !readCleanly) {
        __builtin_trap();
    }
}

// A change inside a payload nearly always breaks its checksum and stops at
// that check; with every frame's checksum put right it reaches the records.
std::vector<uint8_t> withChecksumsMended(std::vector<uint8_t> bytes) {
    const size_t versionLength = 10;
    if (bytes.size() <= versionLength) {
        return bytes;
    }
    size_t at = versionLength + 1 + bytes[versionLength] + 12;
    while (at + 9 <= bytes.size() && bytes[at] == 'F') {
        const uint32_t length = bytes[at + 1] | bytes[at + 2] << 8 | bytes[at + 3] << 16 |
                                uint32_t(bytes[at + 4]) << 24;
        if (length > bytes.size() - at - 9) {
            break;
        }
        const uint32_t crc = demoformat::crc32(bytes.data() + at + 9, length);
        for (size_t i = 0; i < 4; ++i) {
            bytes[at + 5 + i] = static_cast<uint8_t>(crc >> (8 * i));
        }
        at += 9 + length;
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::vector<uint8_t> input(bytes, bytes + size);
    check(input);
    const std::vector<uint8_t> mended = withChecksumsMended(input);
    if (mended != input) {
        check(mended);
    }
    return 0;
}
