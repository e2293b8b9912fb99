#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A zombie or a pick-up as the trace lists it; kind is the zombie's state
// or the pick-up's kind.
struct TraceThing {
    double x = 0.0, z = 0.0, health = 0.0;
    std::string kind;
};

// One line of the game's trace, the fields the tests look at.
struct TraceFrame {
    long frame = 0;
    double t = 0.0, dt = 0.0;
    int steps = 0;
    bool hasPlayer = false;
    double x = 0.0, z = 0.0, heading = 0.0, health = 0.0;
    bool hasCamera = false;
    double cameraX = 0.0, cameraZ = 0.0, yaw = 0.0, pitch = 0.0;
    std::string weapon;
    int rounds = 0, clips = 0, points = 0;
    bool wireframe = false, showFps = false;
    int round = 0, best = 0;
    std::string state;   // "playing", "paused" or "over"
    std::string objects; // the object census as written, {"Class":n,...}
    long particles = 0;
    std::vector<TraceThing> zombies, powerups;
    std::string line; // the whole line, for messages
};

// The value after "key": in text, searched from the position of within (a
// key of an enclosing object, or empty); nullopt when absent or null.
std::optional<std::string> traceValue(const std::string& line, const std::string& key,
                                      const std::string& within = "");

// Parses one line; nullopt when it is not a whole trace line.
std::optional<TraceFrame> parseTraceLine(const std::string& line);

// A trace line with the frame's wall-clock time ("t") taken out, and the
// lines of a trace file so: what two runs of the same game share.
std::string traceLineWithoutTime(std::string line);
std::vector<std::string> traceLinesWithoutTime(const std::string& path);

// Reads a trace file as the game writes it, a line a frame.
class GameTrace {
public:
    explicit GameTrace(std::string path) : path(std::move(path)) {}

    // Every whole line written so far.
    const std::vector<TraceFrame>& frames() const;

    // Waits up to timeoutMs for a frame drawn after frame after that
    // satisfies test; returns it.
    std::optional<TraceFrame> waitFor(long after,
                                      const std::function<bool(const TraceFrame&)>& test,
                                      int timeoutMs = 30000) const;

    // The newest frame, waiting up to timeoutMs for the first one.
    std::optional<TraceFrame> latest(int timeoutMs = 30000) const;

    // The number of the newest frame, 0 before the first.
    long now() const;

private:
    std::string path;
    mutable size_t offset = 0;
    mutable std::string partial;
    mutable std::vector<TraceFrame> cache;
};
