#pragma once

#include <string>

// The best score of all rounds, kept between runs in one small file. A file
// that cannot be read counts as no score; a folder that cannot be written
// means the score is not kept. Either is said once on standard error and
// never stops play.
class BestScore {
public:
    // $XDG_DATA_HOME/morrowfen/best-score, or ~/.local/share/morrowfen/
    // best-score; empty when there is no home folder to keep it in.
    static std::string defaultPath();

    // path empty: nothing is read or kept.
    explicit BestScore(std::string path);

    // Reads the kept score; 0 when there is none yet.
    int load();

    // Takes the points of a finished round; a new best is written at once.
    // False only when a new best could not be written.
    bool offer(int points);

    // Shows this score and keeps nothing: a playback neither reads nor
    // changes the player's own best.
    void keepNothing(int shown) {
        path.clear();
        best = shown;
    }

    int get() const { return best; }
    const std::string& getPath() const { return path; }

    // Runs after the new file is complete and before it replaces the old
    // one: lets a test stop the writer where a crash would.
    static void (*beforeReplace)();

private:
    bool write(int score);
    void warn(const std::string& line);

    std::string path;
    int best = 0;
    bool warned = false;
};
