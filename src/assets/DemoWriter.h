#pragma once

#include "assets/DemoFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes a demo file (laid out as assets/DemoFile.h says) a frame at a time.
// It writes only what the reader accepts: a frame the reader would refuse is
// refused here, and not written.
class DemoWriter {
public:
    DemoWriter() = default;
    // Closes the file without the end mark: it reads as cut short.
    ~DemoWriter();
    DemoWriter(const DemoWriter&) = delete;
    DemoWriter& operator=(const DemoWriter&) = delete;

    // Creates (truncates) the file and writes the header; a recording still
    // open is closed first. False with error() set when it cannot.
    bool open(const std::string& path, const std::string& gameVersion, const DemoStart& start);
    // Appends one frame and flushes it to the file, so a recording cut short
    // by a crash or a kill still holds every whole frame written before.
    // False with error() set on a frame the reader would refuse (the
    // recording goes on) or on a write error (the file is closed).
    bool writeFrame(const DemoFrame& frame);
    // Writes the end mark with the number of frames written, and closes.
    bool finish();

    // What went wrong last: one line, without the file's name.
    const std::string& error() const { return message; }
    long framesWritten() const { return frames; }

private:
    bool fail(const std::string& problem);
    // Writes and flushes the bytes; on an error closes the file.
    bool put(const std::vector<uint8_t>& out, const std::string& what);
    void close();

    FILE* file = nullptr;
    std::string message;
    long frames = 0;
    // Kept between frames, so that a long recording does not allocate each
    // frame.
    std::vector<uint8_t> bytes;
};
