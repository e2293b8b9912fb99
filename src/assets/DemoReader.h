#pragma once

#include "assets/DemoFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A demo file as read: its start and its frames, or why it was refused.
struct DemoReading {
    bool ok = false;
    // When !ok (and then only this is set): one line, without the file's
    // name, which the caller adds.
    std::string error;
    std::string gameVersion;
    DemoStart start;
    std::vector<DemoFrame> frames;
    // The end mark was there: the recording finished normally.
    bool ended = false;
    // The file stops inside a frame or before the end mark: frames holds the
    // whole frames before the cut.
    bool cutShort = false;
};

// A recording larger than this is refused unread. A minute of play takes
// under 100 KB at 35 frames a second, so this is hours even at 144; read,
// a recording takes up to about twenty times its size.
constexpr size_t DEMO_FILE_CAP = size_t(64) << 20;

// Reads a whole recording from memory (laid out as assets/DemoFile.h says).
// gameVersion is this game's version: a recording of another is refused.
DemoReading readDemo(const uint8_t* data, size_t size, const std::string& gameVersion);

// The same from a file, refusing one larger than DEMO_FILE_CAP or one that
// cannot be read.
DemoReading readDemoFile(const std::string& path, const std::string& gameVersion);
