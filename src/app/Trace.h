#pragma once

#include <cstdio>
#include <string>

// The game's state after every frame, one JSON object per line, for tests,
// tools and bug reports. Written only when MORROWFEN_TRACE names a file; the
// keys are a contract and are never renamed.
class Trace {
public:
    // The trace named by MORROWFEN_TRACE, or null when the variable is unset
    // or empty. A file that cannot be opened is reported once on standard
    // error and play goes on without a trace.
    static Trace* open();

    explicit Trace(std::FILE* file);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // Appends the line of the frame just drawn; the world moved by dt in
    // steps updates of the object list (none while it stood still).
    void writeFrame(float dt, int steps);

    // The line for the current state, without its newline.
    static std::string formatFrame(unsigned long frame, double t, float dt, int steps);

private:
    std::FILE* file;
    unsigned long frames;
};
