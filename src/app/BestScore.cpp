#include "app/BestScore.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

void (*BestScore::beforeReplace)() = nullptr;

namespace {

// A score is a few digits; anything longer is not one of ours.
const size_t MAX_FILE_BYTES = 32;

// The digits of a whole file, an optional newline after them: the score, or
// -1 when the text is anything else.
long parseScore(const std::string& text) {
    size_t end = text.size();
    if (end > 0 && text[end - 1] == '\n') {
        --end;
    }
    if (end == 0 || end > 10) {
        return -1;
    }
    long value = 0;
    for (size_t i = 0; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value <= INT_MAX ? value : -1;
}

} // namespace

std::string BestScore::defaultPath() {
    // Relative or empty settings are to be ignored, as if unset.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') {
        return std::string(data) + "/morrowfen/best-score";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.local/share/morrowfen/best-score";
    }
    return "";
}

BestScore::BestScore(std::string path) : path(std::move(path)) {}

void BestScore::warn(const std::string& line) {
    // One line a run: a folder that cannot be written stays so.
    if (!warned) {
        std::fprintf(stderr, "morrowfen: %s\n", line.c_str());
        warned = true;
    }
}

int BestScore::load() {
    best = 0;
    if (path.empty()) {
        warn("no home folder (HOME and XDG_DATA_HOME are unset): the best score is not kept");
        return best;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (errno != ENOENT) {
            warn("cannot read the best score in " + path + " (" + std::strerror(errno) +
                 "); counting it as 0");
        }
        return best;
    }
    char bytes[MAX_FILE_BYTES + 1];
    size_t size = std::fread(bytes, 1, sizeof bytes, file);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    long score = failed || size > MAX_FILE_BYTES ? -1 : parseScore(std::string(bytes, size));
    if (score < 0) {
        warn("the best score in " + path + " is not a score; counting it as 0");
        return best;
    }
    best = static_cast<int>(score);
    return best;
}

bool BestScore::offer(int points) {
    if (points <= best) {
        return true;
    }
    best = points;
    if (path.empty()) {
        return false;
    }
    return write(best);
}

bool BestScore::write(int score) {
    // The new score goes to a file of its own that then replaces the old one
    // in one step, so a crash leaves one whole score or the other.
    std::filesystem::path target(path);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    std::string fresh = path + ".new";
    int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        warn("cannot keep the best score in " + path + " (" + std::strerror(errno) + ")");
        return false;
    }
    std::string text = std::to_string(score) + "\n";
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::fsync(fd) == 0 && ok;
    int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && beforeReplace != nullptr) {
        beforeReplace();
    }
    if (!ok || std::rename(fresh.c_str(), path.c_str()) != 0) {
        saved = ok ? errno : saved;
        ::unlink(fresh.c_str());
        warn("cannot keep the best score in " + path + " (" + std::strerror(saved) + ")");
        return false;
    }
    return true;
}
