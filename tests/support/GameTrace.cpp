#include "support/GameTrace.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

std::optional<std::string> traceValue(const std::string& line, const std::string& key,
                                      const std::string& within) {
    size_t from = 0;
    if (!within.empty()) {
        from = line.find("\"" + within + "\":{");
        if (from == std::string::npos) {
            return std::nullopt;
        }
    }
    std::string pattern = "\"" + key + "\":";
    size_t at = line.find(pattern, from);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    at += pattern.size();
    size_t end = line.find_first_of(",}", at);
    std::string value = line.substr(at, end - at);
    if (value == "null") {
        return std::nullopt;
    }
    if (value.size() >= 2 && value.front() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

namespace {

// The objects of the list under key, each read with its own keys.
std::vector<TraceThing> traceList(const std::string& line, const std::string& key,
                                  const std::string& kindKey) {
    std::vector<TraceThing> things;
    size_t at = line.find("\"" + key + "\":[");
    if (at == std::string::npos) {
        return things;
    }
    size_t end = line.find(']', at);
    for (at = line.find('{', at); at < end; at = line.find('{', at)) {
        size_t close = line.find('}', at);
        std::string item = line.substr(at, close - at + 1);
        auto number = [&](const char* name) {
            auto v = traceValue(item, name);
            return v ? std::strtod(v->c_str(), nullptr) : 0.0;
        };
        things.push_back(
            {number("x"), number("z"), number("health"), traceValue(item, kindKey).value_or("")});
        at = close;
    }
    return things;
}

} // namespace

std::optional<TraceFrame> parseTraceLine(const std::string& line) {
    if (line.empty() || line.front() != '{' || line.back() != '}') {
        return std::nullopt;
    }
    auto number = [&](const std::string& key, const std::string& within = "") {
        auto v = traceValue(line, key, within);
        return v ? std::strtod(v->c_str(), nullptr) : 0.0;
    };
    TraceFrame f;
    f.line = line;
    f.frame = static_cast<long>(number("frame"));
    f.t = number("t");
    f.dt = number("dt");
    f.steps = static_cast<int>(number("steps"));
    f.hasPlayer = line.find("\"player\":{") != std::string::npos;
    f.x = number("x", "player");
    f.z = number("z", "player");
    f.heading = number("heading", "player");
    f.health = number("health", "player");
    f.hasCamera = line.find("\"camera\":{") != std::string::npos;
    f.cameraX = number("x", "camera");
    f.cameraZ = number("z", "camera");
    f.yaw = number("yaw", "camera");
    f.pitch = number("pitch", "camera");
    f.weapon = traceValue(line, "weapon").value_or("");
    f.rounds = static_cast<int>(number("rounds"));
    f.clips = static_cast<int>(number("clips"));
    f.points = static_cast<int>(number("points"));
    f.wireframe = traceValue(line, "wireframe", "flags").value_or("") == "true";
    f.showFps = traceValue(line, "showFps", "flags").value_or("") == "true";
    f.round = static_cast<int>(number("round"));
    f.best = static_cast<int>(number("best"));
    f.state = traceValue(line, "state").value_or("");
    size_t census = line.find("\"objects\":{");
    if (census != std::string::npos) {
        census += std::string("\"objects\":").size();
        f.objects = line.substr(census, line.find('}', census) + 1 - census);
    }
    f.particles = static_cast<long>(number("particles"));
    f.zombies = traceList(line, "zombies", "state");
    f.powerups = traceList(line, "powerups", "kind");
    return f;
}

const std::vector<TraceFrame>& GameTrace::frames() const {
    // Reads only what was added since the last call.
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string added((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    offset += added.size();
    partial += added;
    size_t start = 0;
    // Only whole lines: the game may be half-way through writing the last.
    for (size_t end = partial.find('\n'); end != std::string::npos;
         end = partial.find('\n', start)) {
        if (auto f = parseTraceLine(partial.substr(start, end - start))) {
            cache.push_back(*f);
        }
        start = end + 1;
    }
    partial.erase(0, start);
    return cache;
}

std::optional<TraceFrame> GameTrace::waitFor(long after,
                                             const std::function<bool(const TraceFrame&)>& test,
                                             int timeoutMs) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t seen = 0;
    do {
        const std::vector<TraceFrame>& all = frames();
        for (size_t i = seen; i < all.size(); ++i) {
            if (all[i].frame > after && test(all[i])) {
                return all[i];
            }
        }
        seen = all.size();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

std::optional<TraceFrame> GameTrace::latest(int timeoutMs) const {
    if (!waitFor(
            0, [](const TraceFrame&) { return true; }, timeoutMs)) {
        return std::nullopt;
    }
    return frames().back();
}

long GameTrace::now() const {
    const std::vector<TraceFrame>& all = frames();
    return all.empty() ? 0 : all.back().frame;
}

std::string traceLineWithoutTime(std::string line) {
    const size_t at = line.find(",\"t\":");
    if (at != std::string::npos) {
        const size_t end = line.find(',', at + 1);
        line.erase(at, end == std::string::npos ? std::string::npos : end - at);
    }
    return line;
}

std::vector<std::string> traceLinesWithoutTime(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(traceLineWithoutTime(line));
    }
    return lines;
}
