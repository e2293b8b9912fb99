#include "assets/DemoReader.h"

#include "assets/DemoFormat.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

using namespace demoformat;

namespace {

// The bytes not read yet. Every read is checked against what is left and
// takes nothing when it would run past.
struct Bytes {
    const uint8_t* next;
    size_t left;

    template <class T> bool take(T& value) {
        static_assert(std::is_integral<T>::value, "floats go through their bits");
        if (left < sizeof(T)) {
            return false;
        }
        std::make_unsigned_t<T> bits = 0;
        for (size_t i = 0; i < sizeof(T); ++i) {
            bits = static_cast<decltype(bits)>(bits | uint64_t(next[i]) << (8 * i));
        }
        value = static_cast<T>(bits);
        skip(sizeof(T));
        return true;
    }

    bool take(float& value) {
        uint32_t bits;
        if (!take(bits)) {
            return false;
        }
        std::memcpy(&value, &bits, sizeof value);
        return true;
    }

    template <class T> bool append(std::vector<T>& values) {
        T value;
        if (!take(value)) {
            return false;
        }
        values.push_back(value);
        return true;
    }

    void skip(size_t n) {
        next += n;
        left -= n;
    }
};

const char* const CUT_HEADER = "cut short inside the header";
const char* const PAST_END = "a record runs past the frame's end";

std::string readHeader(Bytes& in, const std::string& gameVersion, DemoReading& reading) {
    // The caller has matched the magic.
    in.skip(MAGIC_SIZE);
    uint16_t format;
    if (!in.take(format)) {
        return CUT_HEADER;
    }
    if (format != FORMAT_VERSION) {
        return "format version " + std::to_string(format) + "; this game reads format version " +
               std::to_string(FORMAT_VERSION);
    }
    uint8_t length;
    if (!in.take(length) || in.left < length) {
        return CUT_HEADER;
    }
    reading.gameVersion.assign(reinterpret_cast<const char*>(in.next), length);
    in.skip(length);
    std::string problem = versionProblem(reading.gameVersion);
    if (!problem.empty()) {
        return problem;
    }
    if (reading.gameVersion != gameVersion) {
        return "recorded by morrowfen " + reading.gameVersion + "; this is morrowfen " +
               gameVersion + ", and its rules may differ";
    }
    DemoStart& start = reading.start;
    if (!in.take(start.sensitivity) || !in.take(start.randomState) || !in.take(start.bestScore)) {
        return CUT_HEADER;
    }
    return startProblem(start);
}

std::string readEvent(Bytes& in, DemoFrame& frame) {
    DemoEvent event;
    if (!in.take(event.type)) {
        return PAST_END;
    }
    bool whole = true;
    if (!visitEventFields(event, [&](auto& field) { whole = whole && in.take(field); })) {
        return eventTypeProblem(event.type);
    }
    if (!whole) {
        return PAST_END;
    }
    frame.events.push_back(event);
    return "";
}

std::string readKeys(Bytes& in, DemoFrame& frame) {
    uint16_t count;
    if (!in.take(count)) {
        return PAST_END;
    }
    // Judged before anything is made for them.
    std::string problem = keyCountProblem(count);
    if (!problem.empty()) {
        return problem;
    }
    if (in.left / 2 < count) {
        return PAST_END;
    }
    std::vector<uint16_t> keys(count);
    for (uint16_t& key : keys) {
        in.take(key);
    }
    problem = keysProblem(keys);
    if (!problem.empty()) {
        return problem;
    }
    frame.keys.push_back(std::move(keys));
    return "";
}

std::string readFocus(Bytes& in, DemoFrame& frame) {
    if (!in.append(frame.focus)) {
        return PAST_END;
    }
    return focusProblem(frame.focus.back());
}

// A frame's payload, record by record, each into its kind's list.
std::string readRecords(Bytes in, DemoFrame& frame) {
    uint8_t kind;
    while (in.take(kind)) {
        std::string problem;
        switch (kind) {
        case TICKS:
            problem = in.append(frame.ticks) ? "" : PAST_END;
            break;
        case EVENT:
            problem = readEvent(in, frame);
            break;
        case KEYS:
            problem = readKeys(in, frame);
            break;
        case BUTTONS:
            problem = in.append(frame.buttons) ? "" : PAST_END;
            break;
        case FOCUS:
            problem = readFocus(in, frame);
            break;
        case COUNTER:
            problem = in.append(frame.counter) ? "" : PAST_END;
            break;
        default:
            problem = "record of unknown kind " + std::to_string(kind);
        }
        if (!problem.empty()) {
            return problem;
        }
    }
    return "";
}

std::string readEnd(Bytes& in, DemoReading& reading) {
    uint32_t count;
    if (!in.take(count)) {
        reading.cutShort = true;
        return "";
    }
    if (count != reading.frames.size()) {
        return "the recording says it holds " + std::to_string(count) + " frames but holds " +
               std::to_string(reading.frames.size());
    }
    if (in.left > 0) {
        return "the file goes on after the end mark";
    }
    reading.ended = true;
    return "";
}

std::string readFrames(Bytes& in, DemoReading& reading) {
    for (;;) {
        const long number = long(reading.frames.size()) + 1;
        const auto name = [number] { return "frame " + std::to_string(number); };
        uint8_t tag;
        if (!in.take(tag)) {
            reading.cutShort = true;
            return "";
        }
        if (tag == END_TAG) {
            return readEnd(in, reading);
        }
        if (tag != FRAME_TAG) {
            char text[8];
            std::snprintf(text, sizeof text, "0x%02X", unsigned(tag));
            return std::string("unknown tag ") + text + " where " + name() + " should begin";
        }
        uint32_t length, crc;
        if (!in.take(length)) {
            reading.cutShort = true;
            return "";
        }
        std::string problem = payloadProblem(number, length);
        if (!problem.empty()) {
            return problem;
        }
        if (!in.take(crc) || in.left < length) {
            reading.cutShort = true;
            return "";
        }
        if (crc32(in.next, length) != crc) {
            return name() + " is damaged";
        }
        DemoFrame frame;
        problem = readRecords(Bytes{in.next, length}, frame);
        if (!problem.empty()) {
            return name() + ": " + problem;
        }
        in.skip(length);
        reading.frames.push_back(std::move(frame));
    }
}

DemoReading refusal(const std::string& problem) {
    DemoReading reading;
    reading.error = problem;
    return reading;
}

} // namespace

DemoReading readDemo(const uint8_t* data, size_t size, const std::string& gameVersion) {
    if (size == 0) {
        return refusal("empty file");
    }
    // As much of the magic as there is, so that a stranger's short file is
    // called that rather than a cut recording.
    if (std::memcmp(data, MAGIC, std::min(size, MAGIC_SIZE)) != 0) {
        return refusal("not a Morrowfen recording");
    }
    if (size < MAGIC_SIZE) {
        return refusal(CUT_HEADER);
    }
    DemoReading reading;
    Bytes in{data, size};
    std::string problem = readHeader(in, gameVersion, reading);
    if (problem.empty()) {
        problem = readFrames(in, reading);
    }
    if (!problem.empty()) {
        return refusal(problem);
    }
    reading.ok = true;
    return reading;
}

DemoReading readDemoFile(const std::string& path, const std::string& gameVersion) {
    // A pipe or a device would hold the game until something writes to it.
    struct stat kind;
    if (stat(path.c_str(), &kind) == 0 && !S_ISREG(kind.st_mode) && !S_ISDIR(kind.st_mode)) {
        return refusal("not a regular file");
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        return refusal(std::string("cannot be opened (") + std::strerror(errno) + ")");
    }
    const std::string tooLarge =
        "larger than the " + std::to_string(DEMO_FILE_CAP) + " bytes a recording may be";
    struct stat info;
    if (fstat(fileno(file.get()), &info) == 0 && info.st_size > off_t(DEMO_FILE_CAP)) {
        return refusal(tooLarge);
    }
    // Read to its end rather than to the size it had: a file still being
    // written grows, and one still growing past the cap is refused all the
    // same.
    std::vector<uint8_t> bytes;
    uint8_t chunk[1 << 16];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (got > DEMO_FILE_CAP - bytes.size()) {
            return refusal(tooLarge);
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        return refusal(std::string("cannot be read (") + std::strerror(errno) + ")");
    }
    return readDemo(bytes.data(), bytes.size(), gameVersion);
}
