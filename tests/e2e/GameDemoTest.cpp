// Recording a game through X input and playing it back: the same game again.

#include "GameFixture.h"
#include "support/GameTrace.h"
#include "support/TestFiles.h"

#include <sys/stat.h>

#include <csignal>
#include <fstream>

namespace {

const int WAIT = 30000;

class GameDemoTest : public GameFixture {
protected:
    // Plays the recording back with its own trace; the trace's lines without
    // their times, once the game has ended with the status expected.
    static std::vector<std::string> playBack(const std::string& option, const std::string& dir,
                                             int status, std::string* out = nullptr) {
        const std::string tracePath = dir + "/playback" + option + ".jsonl";
        auto game = startGame({{"MORROWFEN_TRACE", tracePath}}, MORROWFEN_GAME_DIR,
                              {"--" + option + "=" + dir + "/game.mfdemo"});
        EXPECT_EQ(game->waitForExit(240000), status) << game->out() << game->err();
        if (out != nullptr) {
            *out = game->out();
        }
        return traceLinesWithoutTime(tracePath);
    }
};

} // namespace

TEST_F(GameDemoTest, AGamePlayedThroughXInputPlaysBackToTheSameTrace) {
    const std::string dir = makeTestScratchDir("demo");
    xdotool("mousemove 512 384");
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game, {{"MORROWFEN_TRACE", dir + "/game.jsonl"}},
                                              {"--record=" + dir + "/game.mfdemo"});
    ASSERT_NE(window, 0ul);
    xdotool("windowfocus --sync " + std::to_string(window));
    // Walk, turn, fire, change weapon, pause and go on: each kind of input.
    ASSERT_TRUE(holdKeyUntil("w", [](const TraceFrame& f) { return f.z < -40.0; }));
    long mark = trace->now();
    xdotool("mousemove_relative -- 40 0");
    ASSERT_TRUE(trace->waitFor(
        mark, [](const TraceFrame& f) { return f.heading != 0.0; }, WAIT));
    ASSERT_TRUE(holdButtonUntil(1, [](const TraceFrame& f) { return f.rounds < 11; }));
    mark = trace->now();
    xdotool("click 4");
    ASSERT_TRUE(trace->waitFor(
        mark, [](const TraceFrame& f) { return f.weapon == "Shotgun"; }, WAIT));
    ASSERT_TRUE(holdButtonUntil(1, [](const TraceFrame& f) { return f.rounds < 6; }));
    ASSERT_TRUE(holdKeyUntil("p", [](const TraceFrame& f) { return f.state == "paused"; }));
    ASSERT_TRUE(holdButtonUntil(1, [](const TraceFrame& f) { return f.state == "playing"; }));
    EXPECT_EQ(quitWithEscape(*game, window), 255);
    const std::vector<std::string> recorded = traceLinesWithoutTime(dir + "/game.jsonl");
    ASSERT_GT(recorded.size(), 20u);

    // In real time and as fast as it draws, the same frames, ended the same
    // way.
    EXPECT_EQ(playBack("play", dir, 255), recorded);
    std::string times;
    EXPECT_EQ(playBack("timedemo", dir, 0, &times), recorded);
    EXPECT_NE(times.find("frames: " + std::to_string(recorded.size() + 1) + "\n"),
              std::string::npos)
        << times;
    for (const char* figure : {"seconds: ", "average: ", "99th percentile: ", "longest: "}) {
        EXPECT_NE(times.find(figure), std::string::npos) << times;
    }
}

TEST_F(GameDemoTest, ARecordingCutShortByAKillPlaysUpToItsLastWholeFrame) {
    const std::string dir = makeTestScratchDir("demo_cut");
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game, {{"MORROWFEN_TRACE", dir + "/game.jsonl"}},
                                              {"--record=" + dir + "/game.mfdemo"});
    ASSERT_NE(window, 0ul);
    ASSERT_TRUE(trace->waitFor(
        30, [](const TraceFrame&) { return true; }, 60000));
    kill(game->pid(), SIGKILL);
    game->waitForExit(WAIT);
    const std::vector<std::string> recorded = traceLinesWithoutTime(dir + "/game.jsonl");
    std::vector<std::string> played = playBack("play", dir, 0);
    // Each frame's line is written before its readings are, so the recording
    // holds at most the frames the trace shows.
    ASSERT_GE(played.size(), 29u);
    ASSERT_LE(played.size(), recorded.size());
    EXPECT_EQ(played, std::vector<std::string>(recorded.begin(), recorded.begin() + played.size()));
}

TEST_F(GameDemoTest, ARecordingThatCannotBeReadEndsWithItsStatusAndNoWindow) {
    const std::string dir = makeTestScratchDir("demo_bad");
    struct Bad {
        const char* name;
        std::string bytes; // nothing written when empty and the name is "missing"
        const char* says;
    };
    const Bad cases[] = {
        {"missing", "", "No such file or directory"},
        {"empty", "", "empty"},
        {"text", "this is not a recording\n", "not a Morrowfen recording"},
        {"pipe", "", "not a regular file"},
    };
    for (const Bad& bad : cases) {
        SCOPED_TRACE(bad.name);
        const std::string path = dir + "/" + bad.name + ".mfdemo";
        if (std::string(bad.name) == "pipe") {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        } else if (std::string(bad.name) != "missing") {
            std::ofstream(path, std::ios::binary) << bad.bytes;
        }
        auto game = startGame({}, MORROWFEN_GAME_DIR, {"--play=" + path});
        EXPECT_EQ(game->waitForExit(20000), 60);
        const std::string& err = game->err();
        EXPECT_EQ(err.rfind("morrowfen: " + path + ": ", 0), 0u) << err;
        EXPECT_NE(err.find(bad.says), std::string::npos) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_FALSE(findWindow(TITLE, 0));
    }
}
