#include "assets/DemoFile.h"
#include "assets/DemoFormat.h"
#include "assets/DemoReader.h"
#include "assets/DemoWriter.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const std::string VERSION = "1.0.0";
// Magic, format version, length and "1.0.0", the start.
const size_t HEADER = 8 + 2 + 1 + 5 + 12;

void appendLE(Bytes& out, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

Bytes frameBytes(const Bytes& payload) {
    Bytes out{'F'};
    appendLE(out, payload.size(), 4);
    appendLE(out, demoformat::crc32(payload.data(), payload.size()), 4);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

// Each type with every field it carries at an extreme. The fields in order:
// type, gain, state, scancode, sym, mod, unicode, button, x, y, xrel, yrel.
std::vector<DemoEvent> everyEvent() {
    return {{DemoEvent::NONE},
            {DemoEvent::ACTIVE, 1, 6},
            {DemoEvent::KEY_DOWN, 0, 1, 255, 322, 0xFFFF, 0xFFFF},
            {DemoEvent::KEY_UP, 0, 0, 1, 27, 0x1000, 0},
            {DemoEvent::MOTION, 0, 5, 0, 0, 0, 0, 0, 0xFFFF, 0, -32768, 32767},
            {DemoEvent::BUTTON_DOWN, 0, 1, 0, 0, 0, 0, 5, 1023, 767},
            {DemoEvent::BUTTON_UP, 0, 0, 0, 0, 0, 0, 255, 0, 0xFFFF},
            {DemoEvent::QUIT},
            {DemoEvent::RESIZE, 0, 0, 0, 0, 0, 0, 0, 1024, 768},
            {DemoEvent::EXPOSE}};
}

// A frame such as the game reads, one at every extreme, one empty.
std::vector<DemoFrame> someFrames() {
    std::vector<DemoFrame> frames(3);
    frames[0] = {{0, 16}, {DemoEvent{}}, {{}}, {0}, {7}, {std::numeric_limits<int64_t>::min()}};
    std::vector<uint16_t> allKeys(323);
    std::iota(allKeys.begin(), allKeys.end(), 0);
    DemoFrame& extremes = frames[1];
    extremes.ticks = {UINT32_MAX, 17};
    extremes.events = everyEvent();
    extremes.keys = {{0, 322}, allKeys};
    extremes.buttons = {255, 1};
    extremes.focus = {0, 6};
    extremes.counter = {INT64_MAX, 0, -1};
    return frames;
}

// The frames as the writer writes them, finished or left as a kill leaves them.
Bytes recording(const std::vector<DemoFrame>& frames, bool finish = true,
                const DemoStart& start = DemoStart{}, const std::string& version = VERSION) {
    const std::string path = makeTestScratchDir("demo") + "/made.demo";
    {
        DemoWriter writer;
        EXPECT_TRUE(writer.open(path, version, start)) << writer.error();
        for (const DemoFrame& frame : frames) {
            EXPECT_TRUE(writer.writeFrame(frame)) << writer.error();
        }
        EXPECT_TRUE(!finish || writer.finish()) << writer.error();
    }
    return readFile(path);
}

DemoReading read(const Bytes& bytes) {
    return readDemo(bytes.data(), bytes.size(), VERSION);
}

// Where frame n (from 1) begins.
size_t frameAt(const Bytes& bytes, int n) {
    size_t at = HEADER;
    for (int i = 1; i < n; ++i) {
        at += 9 + (bytes[at + 1] | bytes[at + 2] << 8 | bytes[at + 3] << 16);
    }
    return at;
}

} // namespace

TEST(DemoFileTest, WriterLaysTheBytesOutAsDocumented) {
    const std::string check = "123456789"; // the common CRC-32's check value
    EXPECT_EQ(demoformat::crc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()),
              0xCBF43926u);
    DemoFrame frame{{0x01020304}, {{}}, {{5, 300}}, {4}, {7}, {-2}};
    frame.events[0] = {DemoEvent::MOTION, 9, 1, 9, 9, 9, 9, 9, 0x1234, 2, -2, 3};
    Bytes expected{'M', 'R', 'W', 'F', 'D', 'E', 'M', 'O', 1, 0, 5, '1', '.', '0', '.', '0'};
    appendLE(expected, 0x40200000, 4); // 2.5f
    appendLE(expected, 0xA1B2C3D4, 4);
    appendLE(expected, 1234, 4);
    const std::vector<Bytes> records = {
        {1, 4, 3, 2, 1},                                     // ticks
        {2, 4, 1, 0x34, 0x12, 2, 0, 0xFE, 0xFF, 3, 0},       // motion: state, x, y, xrel, yrel
        {3, 2, 0, 5, 0, 0x2C, 1},                            // keys
        {4, 4},                                              // buttons
        {5, 7},                                              // focus
        {6, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, // counter
    };
    Bytes payload;
    for (const Bytes& record : records) {
        payload.insert(payload.end(), record.begin(), record.end());
    }
    const Bytes frameOut = frameBytes(payload);
    expected.insert(expected.end(), frameOut.begin(), frameOut.end());
    expected.insert(expected.end(), {'E', 1, 0, 0, 0});
    EXPECT_EQ(recording({frame}, true, {2.5f, 0xA1B2C3D4, 1234}), expected);
}

TEST(DemoFileTest, RoundTripKeepsEveryValue) {
    const std::string longest = " !~0123456789abcdefghijklmnopqrs";
    for (const DemoStart& start : {DemoStart{10.0f, UINT32_MAX, INT32_MAX},
                                   DemoStart{std::numeric_limits<float>::denorm_min(), 0, 0}}) {
        const Bytes bytes = recording(someFrames(), true, start, longest);
        const DemoReading reading = readDemo(bytes.data(), bytes.size(), longest);
        ASSERT_TRUE(reading.ok) << reading.error;
        EXPECT_EQ(reading.gameVersion, longest);
        EXPECT_EQ(reading.start.sensitivity, start.sensitivity);
        EXPECT_EQ(reading.start.randomState, start.randomState);
        EXPECT_EQ(reading.start.bestScore, start.bestScore);
        EXPECT_TRUE(reading.frames == someFrames());
        EXPECT_TRUE(reading.ended && !reading.cutShort);
    }
    // What a type does not carry is not kept.
    DemoFrame quit;
    quit.events = {{DemoEvent::QUIT, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
    DemoReading reading = read(recording({quit}));
    ASSERT_EQ(reading.frames.size(), 1u);
    EXPECT_TRUE(reading.frames[0].events == std::vector<DemoEvent>{{DemoEvent::QUIT}});
}

TEST(DemoFileTest, EventsCompareEveryField) {
    const std::vector<std::function<void(DemoEvent&)>> eventChanges = {
        [](DemoEvent& e) { e.type = 1; },    [](DemoEvent& e) { e.gain = 1; },
        [](DemoEvent& e) { e.state = 1; },   [](DemoEvent& e) { e.scancode = 1; },
        [](DemoEvent& e) { e.sym = 1; },     [](DemoEvent& e) { e.mod = 1; },
        [](DemoEvent& e) { e.unicode = 1; }, [](DemoEvent& e) { e.button = 1; },
        [](DemoEvent& e) { e.x = 1; },       [](DemoEvent& e) { e.y = 1; },
        [](DemoEvent& e) { e.xrel = 1; },    [](DemoEvent& e) { e.yrel = 1; }};
    for (size_t i = 0; i < eventChanges.size(); ++i) {
        DemoEvent changed;
        eventChanges[i](changed);
        EXPECT_FALSE(changed == DemoEvent{}) << "field " << i;
    }
}

// Each row makes a file from the good recording: refused with its error, or
// read (error empty) with its whole frames and whether it was cut short.
TEST(DemoFileTest, HostileFilesAreReadOrRefusedInOneLine) {
    using Edit = std::function<void(Bytes&)>;
    const auto set = [](size_t at, unsigned char value) -> Edit {
        return [=](Bytes& b) { b[at] = value; };
    };
    const auto cutBy = [](size_t n) -> Edit { return [=](Bytes& b) { b.resize(b.size() - n); }; };
    const auto onlyFrame = [](const Bytes& payload) -> Edit {
        return [=](Bytes& b) {
            b.resize(HEADER);
            const Bytes frame = frameBytes(payload);
            b.insert(b.end(), frame.begin(), frame.end());
        };
    };
    const bool CUT = true;
    struct Row {
        const char* name;
        Edit make;
        size_t frames;
        std::string error;
        bool cutShort = false;
    };
    const std::string pastEnd = "frame 1: a record runs past the frame's end";
    const std::vector<Row> rows = {
        {"the good recording", [](Bytes&) {}, 3, ""},
        {"empty", [](Bytes& b) { b.clear(); }, 0, "empty file"},
        {"wrong magic", set(3, 'X'), 0, "not a Morrowfen recording"},
        {"other format version", set(8, 2), 0,
         "format version 2; this game reads format version 1"},
        {"other game version", set(15, '1'), 0,
         "recorded by morrowfen 1.0.1; this is morrowfen 1.0.0, and its rules may differ"},
        {"game version of no bytes", set(10, 0), 0,
         "the game version is 0 bytes long, not 1 to 32"},
        {"game version unprintable", set(12, '\n'), 0,
         "the game version holds a byte that is not printable ASCII"},
        {"sensitivity not a number", [](Bytes& b) { b[18] = 0xC0, b[19] = 0x7F; }, 0,
         "the sensitivity nan is not above 0 and at most 10"},
        {"best score below 0", set(27, 0x80), 0, "the best score -2147483648 is below 0"},
        {"cut inside the magic", [](Bytes& b) { b.resize(5); }, 0, "cut short inside the header"},
        {"cut inside the start", [](Bytes& b) { b.resize(HEADER - 1); }, 0,
         "cut short inside the header"},
        {"the header alone", [](Bytes& b) { b.resize(HEADER); }, 0, "", CUT},
        {"cut inside a payload", [](Bytes& b) { b.resize(frameAt(b, 3) - 1); }, 1, "", CUT},
        {"cut inside a frame's length", [](Bytes& b) { b.resize(frameAt(b, 3) + 3); }, 2, "", CUT},
        {"no end mark", cutBy(5), 3, "", CUT},
        {"cut inside the end mark", cutBy(2), 3, "", CUT},
        {"damaged payload", [](Bytes& b) { b[frameAt(b, 2) + 40] ^= 4; }, 0, "frame 2 is damaged"},
        {"a frame count that lies", [](Bytes& b) { b[b.size() - 4] = 5; }, 0,
         "the recording says it holds 5 frames but holds 3"},
        {"unknown tag", [](Bytes& b) { b[frameAt(b, 2)] = 'X'; }, 0,
         "unknown tag 0x58 where frame 2 should begin"},
        {"a frame over 1 MiB",
         [](Bytes& b) { b.resize(frameAt(b, 3)), appendLE(b, 'F', 1), appendLE(b, 0x100001, 4); },
         0, "frame 3 is 1048577 bytes long, over the 1048576 a frame may hold"},
        {"bytes after the end", [](Bytes& b) { b.push_back('F'); }, 0,
         "the file goes on after the end mark"},
        {"event of unknown type", onlyFrame({1, 0, 0, 0, 0, 2, 7}), 0,
         "frame 1: event of unknown type 7"},
        {"record of unknown kind", onlyFrame({7}), 0, "frame 1: record of unknown kind 7"},
        {"keys descending", onlyFrame({3, 2, 0, 5, 0, 4, 0}), 0,
         "frame 1: held keys not in ascending order"},
        {"a key out of range", onlyFrame({3, 1, 0, 0x43, 1}), 0,
         "frame 1: held key 323 out of range"},
        {"too many keys", onlyFrame({3, 0x44, 1}), 0, "frame 1: 324 held keys, more than 323"},
        {"window state over 7", onlyFrame({5, 8}), 0, "frame 1: window state 8 out of range"},
        {"an event past the payload", onlyFrame({2, 4, 1, 0}), 0, pastEnd},
        {"keys past the payload", onlyFrame({3, 2, 0, 1, 0}), 0, pastEnd},
    };
    const Bytes good = recording(someFrames());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes bytes = good;
        row.make(bytes);
        const DemoReading reading = read(bytes);
        EXPECT_EQ(reading.error, row.error);
        EXPECT_EQ(reading.ok, row.error.empty());
        EXPECT_EQ(reading.cutShort, row.cutShort);
        EXPECT_EQ(reading.ended, reading.ok && !row.cutShort);
        ASSERT_EQ(reading.frames.size(), row.frames);
        for (size_t i = 0; i < row.frames; ++i) {
            EXPECT_TRUE(reading.frames[i] == someFrames()[i]) << "frame " << i + 1;
        }
    }
}

TEST(DemoFileTest, WriterFlushesEveryFrameAndCountsThem) {
    const std::string path = makeTestScratchDir("demo") + "/live.demo";
    const std::vector<DemoFrame> frames = someFrames();
    DemoWriter writer;
    ASSERT_TRUE(writer.open(path, VERSION, DemoStart{}));
    for (size_t i = 0; i <= frames.size(); ++i) {
        // Read while the writer holds the file, as after a kill.
        const DemoReading reading = readDemoFile(path, VERSION);
        EXPECT_TRUE(reading.ok && reading.cutShort) << reading.error;
        EXPECT_TRUE(reading.frames == std::vector<DemoFrame>(frames.begin(), frames.begin() + i));
        EXPECT_EQ(writer.framesWritten(), long(i));
        if (i < frames.size()) {
            ASSERT_TRUE(writer.writeFrame(frames[i])) << writer.error();
        }
    }
    // A frame the reader would refuse is refused, and the recording goes on.
    DemoFrame descending, badFocus, unknown, huge;
    descending.keys = {{1, 5, 5}};
    badFocus.focus = {8};
    unknown.events = {{9}};
    huge.ticks.resize(210000);
    const std::vector<std::pair<DemoFrame, std::string>> refusals = {
        {descending, "frame 4: held keys not in ascending order"},
        {badFocus, "frame 4: window state 8 out of range"},
        {unknown, "frame 4: event of unknown type 9"},
        {huge, "frame 4 is 1050000 bytes long, over the 1048576 a frame may hold"}};
    for (const auto& refusal : refusals) {
        EXPECT_FALSE(writer.writeFrame(refusal.first));
        EXPECT_EQ(writer.error(), refusal.second);
    }
    EXPECT_EQ(writer.framesWritten(), 3);
    ASSERT_TRUE(writer.finish()) << writer.error();
    const Bytes bytes = readFile(path);
    EXPECT_EQ(Bytes(bytes.end() - 5, bytes.end()), (Bytes{'E', 3, 0, 0, 0}));
    const DemoReading reading = read(bytes);
    EXPECT_TRUE(reading.ok && reading.ended && reading.frames == frames) << reading.error;
    EXPECT_FALSE(writer.writeFrame(frames[0]));
    EXPECT_EQ(writer.error(), "no recording is open");
    EXPECT_FALSE(writer.finish());
}

TEST(DemoFileTest, FilesThatCannotBeWrittenOrReadSaySo) {
    const std::string dir = makeTestScratchDir("demo");
    DemoWriter writer;
    EXPECT_FALSE(writer.open(dir + "/a.demo", "", DemoStart{}));
    EXPECT_EQ(writer.error(), "the game version is 0 bytes long, not 1 to 32");
    EXPECT_FALSE(writer.open(dir + "/a.demo", VERSION, DemoStart{10.5f, 1, 0}));
    EXPECT_EQ(writer.error(), "the sensitivity 10.5 is not above 0 and at most 10");
    EXPECT_FALSE(std::filesystem::exists(dir + "/a.demo"));
    EXPECT_FALSE(writer.open(dir + "/none/a.demo", VERSION, DemoStart{}));
    EXPECT_EQ(writer.error(), "cannot be created (No such file or directory)");
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(writer.open("/dev/full", VERSION, DemoStart{}));
        EXPECT_EQ(writer.error(), "the header cannot be written (No space left on device)");
    }

    EXPECT_EQ(readDemoFile(dir + "/none.demo", VERSION).error,
              "cannot be opened (No such file or directory)");
    EXPECT_EQ(readDemoFile(dir, VERSION).error, "cannot be read (Is a directory)");
    // Sparse: refused by its size, before a byte of it is read.
    writeFile(dir + "/huge.demo", Bytes{});
    std::filesystem::resize_file(dir + "/huge.demo", DEMO_FILE_CAP + 1);
    EXPECT_EQ(readDemoFile(dir + "/huge.demo", VERSION).error,
              "larger than the 67108864 bytes a recording may be");
}

// The fuzz target's seeds (fuzz/corpus/demo/) are these recordings as the
// writer writes them. After a change to the layout, MORROWFEN_WRITE_DEMO_SEEDS=1
// writes them again.
TEST(DemoFileTest, FuzzSeedsAreTheWritersRecordings) {
    std::vector<DemoFrame> frames = someFrames();
    DemoFrame events;
    events.events = everyEvent();
    DemoFrame held{{40}, {{}}, {{1, 32, 119, 273, 304}, {}}, {1}, {6}, {12345678}};
    const std::vector<std::pair<std::string, Bytes>> seeds = {
        {"three-frames", recording(frames)},
        {"killed", recording(frames, false, DemoStart{0.25f, 77, 1200})},
        {"no-frames", recording({})},
        {"every-event", recording({events})},
        {"held-keys", recording({held, held, DemoFrame{}})},
    };
    const std::string dir = std::string(MORROWFEN_SOURCE_DIR) + "/fuzz/corpus/demo/";
    const bool rewrite = std::getenv("MORROWFEN_WRITE_DEMO_SEEDS") != nullptr;
    for (const auto& seed : seeds) {
        if (rewrite) {
            std::filesystem::create_directories(dir);
            writeFile(dir + seed.first, seed.second);
        }
        EXPECT_EQ(readFile(dir + seed.first), seed.second) << seed.first << " is out of date";
    }
}
