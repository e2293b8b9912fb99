#include "assets/DemoWriter.h"

#include "assets/DemoFormat.h"

#include <cerrno>
#include <cstring>
#include <type_traits>

using namespace demoformat;

namespace {

// A frame's tag, length and checksum, before its payload.
const size_t FRAME_HEAD = 9;

// Appends the value's bytes, lowest first.
template <class T> void append(std::vector<uint8_t>& out, T value) {
    static_assert(std::is_integral<T>::value, "floats go through their bits");
    const auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i) {
        out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
}

void append(std::vector<uint8_t>& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    append(out, bits);
}

void setAt(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

} // namespace

DemoWriter::~DemoWriter() {
    close();
}

bool DemoWriter::open(const std::string& path, const std::string& gameVersion,
                      const DemoStart& start) {
    close();
    frames = 0;
    // Judged before the file is made, so that a refusal leaves any old
    // recording there untouched.
    std::string problem = versionProblem(gameVersion);
    if (problem.empty()) {
        problem = startProblem(start);
    }
    if (!problem.empty()) {
        return fail(problem);
    }
    file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return fail(std::string("cannot be created (") + std::strerror(errno) + ")");
    }
    bytes.assign(MAGIC, MAGIC + MAGIC_SIZE);
    append(bytes, FORMAT_VERSION);
    append(bytes, static_cast<uint8_t>(gameVersion.size()));
    bytes.insert(bytes.end(), gameVersion.begin(), gameVersion.end());
    append(bytes, start.sensitivity);
    append(bytes, start.randomState);
    append(bytes, start.bestScore);
    return put(bytes, "the header");
}

bool DemoWriter::writeFrame(const DemoFrame& frame) {
    if (file == nullptr) {
        return fail("no recording is open");
    }
    if (frames == long(UINT32_MAX)) {
        return fail("the end mark cannot count more frames");
    }
    const std::string name = "frame " + std::to_string(frames + 1);
    bytes.assign(FRAME_HEAD, 0);
    for (uint32_t ticks : frame.ticks) {
        append(bytes, uint8_t(TICKS));
        append(bytes, ticks);
    }
    for (const DemoEvent& event : frame.events) {
        append(bytes, uint8_t(EVENT));
        append(bytes, event.type);
        if (!visitEventFields(event, [this](auto field) { append(bytes, field); })) {
            return fail(name + ": " + eventTypeProblem(event.type));
        }
    }
    for (const std::vector<uint16_t>& keys : frame.keys) {
        const std::string problem = keysProblem(keys);
        if (!problem.empty()) {
            return fail(name + ": " + problem);
        }
        append(bytes, uint8_t(KEYS));
        append(bytes, static_cast<uint16_t>(keys.size()));
        for (uint16_t key : keys) {
            append(bytes, key);
        }
    }
    for (uint8_t buttons : frame.buttons) {
        append(bytes, uint8_t(BUTTONS));
        append(bytes, buttons);
    }
    for (uint8_t focus : frame.focus) {
        const std::string problem = focusProblem(focus);
        if (!problem.empty()) {
            return fail(name + ": " + problem);
        }
        append(bytes, uint8_t(FOCUS));
        append(bytes, focus);
    }
    for (int64_t counter : frame.counter) {
        append(bytes, uint8_t(COUNTER));
        append(bytes, counter);
    }
    const size_t payload = bytes.size() - FRAME_HEAD;
    const std::string problem = payloadProblem(frames + 1, payload);
    if (!problem.empty()) {
        return fail(problem);
    }
    bytes[0] = FRAME_TAG;
    setAt(bytes, 1, static_cast<uint32_t>(payload));
    setAt(bytes, 5, crc32(bytes.data() + FRAME_HEAD, payload));
    if (!put(bytes, name)) {
        return false;
    }
    ++frames;
    return true;
}

bool DemoWriter::finish() {
    if (file == nullptr) {
        return fail("no recording is open");
    }
    bytes.clear();
    append(bytes, END_TAG);
    append(bytes, static_cast<uint32_t>(frames));
    if (!put(bytes, "the end mark")) {
        return false;
    }
    FILE* done = file;
    file = nullptr;
    if (std::fclose(done) != 0) {
        return fail(std::string("cannot be closed (") + std::strerror(errno) + ")");
    }
    return true;
}

bool DemoWriter::fail(const std::string& problem) {
    message = problem;
    return false;
}

bool DemoWriter::put(const std::vector<uint8_t>& out, const std::string& what) {
    if (std::fwrite(out.data(), 1, out.size(), file) != out.size() || std::fflush(file) != 0) {
        const int saved = errno;
        // What of it reached the file reads as a cut: the frames before it
        // stay good, and nothing is written after it.
        close();
        return fail(what + " cannot be written (" + std::strerror(saved) + ")");
    }
    return true;
}

void DemoWriter::close() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
}
