#include "assets/DemoFormat.h"

#include <cmath>
#include <cstdio>

namespace demoformat {

namespace {

struct CrcTable {
    uint32_t entries[256];
};

// A byte at a time through a table of the remainders of all 256 bytes.
constexpr CrcTable makeCrcTable() {
    CrcTable table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table.entries[n] = c;
    }
    return table;
}

constexpr CrcTable CRC_TABLE = makeCrcTable();

} // namespace

uint32_t crc32(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        c = CRC_TABLE.entries[(c ^ data[i]) & 0xFFu] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

std::string versionProblem(const std::string& gameVersion) {
    if (gameVersion.empty() || gameVersion.size() > MAX_VERSION_LENGTH) {
        return "the game version is " + std::to_string(gameVersion.size()) +
               " bytes long, not 1 to " + std::to_string(MAX_VERSION_LENGTH);
    }
    for (char c : gameVersion) {
        // Printable only, so that a message naming it stays one plain line.
        if (c < ' ' || c > '~') {
            return "the game version holds a byte that is not printable ASCII";
        }
    }
    return "";
}

std::string startProblem(const DemoStart& start) {
    if (!(std::isfinite(start.sensitivity) && start.sensitivity > 0.0f &&
          start.sensitivity <= 10.0f)) {
        char text[64];
        std::snprintf(text, sizeof text, "%g", double(start.sensitivity));
        return std::string("the sensitivity ") + text + " is not above 0 and at most 10";
    }
    if (start.bestScore < 0) {
        return "the best score " + std::to_string(start.bestScore) + " is below 0";
    }
    return "";
}

std::string keyCountProblem(size_t count) {
    if (count > KEY_CODES) {
        return std::to_string(count) + " held keys, more than " + std::to_string(KEY_CODES);
    }
    return "";
}

std::string keysProblem(const std::vector<uint16_t>& keys) {
    std::string problem = keyCountProblem(keys.size());
    if (!problem.empty()) {
        return problem;
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] >= KEY_CODES) {
            return "held key " + std::to_string(keys[i]) + " out of range";
        }
        if (i > 0 && keys[i] <= keys[i - 1]) {
            return "held keys not in ascending order";
        }
    }
    return "";
}

std::string focusProblem(uint8_t focus) {
    if (focus > MAX_FOCUS) {
        return "window state " + std::to_string(focus) + " out of range";
    }
    return "";
}

std::string eventTypeProblem(uint8_t type) {
    DemoEvent probe;
    probe.type = type;
    if (!visitEventFields(probe, [](auto&) {})) {
        return "event of unknown type " + std::to_string(type);
    }
    return "";
}

std::string payloadProblem(long frame, size_t payloadSize) {
    if (payloadSize > MAX_PAYLOAD) {
        return "frame " + std::to_string(frame) + " is " + std::to_string(payloadSize) +
               " bytes long, over the " + std::to_string(MAX_PAYLOAD) + " a frame may hold";
    }
    return "";
}

} // namespace demoformat
