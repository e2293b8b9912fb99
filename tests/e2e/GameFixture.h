#pragma once

#include "support/GameTrace.h"
#include "support/Process.h"
#include "support/TestFiles.h"
#include "support/X11Window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// The turn from heading to the point (x, z) seen from (fromX, fromZ), in
// degrees within [-180, 180): heading 0 faces -z, 90 faces +x.
inline double turnTowards(double heading, double fromX, double fromZ, double x, double z) {
    double wanted = std::atan2(x - fromX, -(z - fromZ)) * 180.0 / 3.14159265358979;
    return std::remainder(wanted - heading, 360.0);
}

// Starts the real game on the test display, from its own folder, with the
// dummy sound driver unless a test says otherwise.
class GameFixture : public ::testing::Test {
protected:
    static constexpr const char* TITLE = "Morrowfen";

    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run the tests under Xvfb (scripts/test.sh)";
        ASSERT_FALSE(findWindow(TITLE, 0)) << "a game window is already open on this display";
    }

    static std::unique_ptr<ChildProcess> startGame(const ChildProcess::EnvChanges& env = {},
                                                   const std::string& dir = MORROWFEN_GAME_DIR,
                                                   const std::vector<std::string>& args = {}) {
        // The best score of a test's games is kept in its scratch folder, never
        // in the home of whoever runs the tests.
        ChildProcess::EnvChanges all = {{"SDL_AUDIODRIVER", "dummy"},
                                        {"XDG_DATA_HOME", makeTestScratchDir("data")}};
        for (const auto& kv : env) {
            all[kv.first] = kv.second;
        }
        return std::make_unique<ChildProcess>(MORROWFEN_EXE, args, dir, all);
    }

    // Starts the game with its trace on, waits for its window and for its
    // second frame: from then on it reads the keyboard and the mouse. Before
    // that, a key sent to the window could come and go during start-up.
    unsigned long startAndFindWindow(std::unique_ptr<ChildProcess>& game,
                                     ChildProcess::EnvChanges env = {},
                                     const std::vector<std::string>& args = {}) {
        if (env.count("MORROWFEN_TRACE") == 0) {
            env["MORROWFEN_TRACE"] = makeTestScratchDir("game") + "/trace.jsonl";
        }
        trace = std::make_unique<GameTrace>(*env["MORROWFEN_TRACE"]);
        game = startGame(env, MORROWFEN_GAME_DIR, args);
        EXPECT_TRUE(game->waitForOutput("Set up OpenGL-screen\n", 30000))
            << game->out() << game->err();
        auto window = findWindow(TITLE, 30000);
        EXPECT_TRUE(window.has_value()) << "no window titled " << TITLE;
        EXPECT_TRUE(trace->waitFor(
            1, [](const TraceFrame&) { return true; }, 60000))
            << "no frame drawn; the game " << (game->running() ? "still runs" : "has ended") << "\n"
            << game->out() << game->err();
        return window.value_or(0);
    }

    // The same with the pointer in the middle of the window and the window
    // given the keyboard focus, so that keys sent through XTest reach it.
    unsigned long startWithFocus(std::unique_ptr<ChildProcess>& game,
                                 const std::vector<std::string>& args = {}) {
        xdotool("mousemove 512 384");
        unsigned long window = startAndFindWindow(game, {}, args);
        if (window != 0) {
            xdotool("windowfocus --sync " + std::to_string(window));
        }
        return window;
    }

    // A game folder in scratch whose res/ links to the game's files but for
    // the one named, which is left out.
    static std::string resWithout(const std::string& name, const std::string& scratch) {
        const std::filesystem::path gameRes = std::filesystem::path(MORROWFEN_GAME_DIR) / "res";
        const std::string dir = makeScratchDir(scratch);
        std::filesystem::create_directory(dir + "/res");
        for (const auto& entry : std::filesystem::directory_iterator(gameRes)) {
            if (entry.path().filename() != name) {
                std::filesystem::create_symlink(entry.path(),
                                                dir + "/res/" + entry.path().filename().string());
            }
        }
        return dir;
    }

    // Pointer and keyboard input through the X server, as a person gives it.
    static void xdotool(const std::string& args) {
        int status = -1;
        runCommand("xdotool " + args, &status);
        ASSERT_EQ(status, 0) << "xdotool " << args;
    }

    // Holds a mouse button down until the trace shows the game has acted on
    // it (or the deadline passes), then lets go: as long as a person would,
    // however slow the frames. The frame that satisfied seen, if any.
    std::optional<TraceFrame> holdButtonUntil(int button,
                                              const std::function<bool(const TraceFrame&)>& seen) {
        long mark = trace->now();
        xdotool("mousedown " + std::to_string(button));
        auto frame = trace->waitFor(mark, seen);
        xdotool("mouseup " + std::to_string(button));
        return frame;
    }

    // The same with a key, sent through XTest to the window that has the
    // keyboard focus.
    std::optional<TraceFrame> holdKeyUntil(const std::string& key,
                                           const std::function<bool(const TraceFrame&)>& seen) {
        long mark = trace->now();
        xdotool("keydown " + key);
        auto frame = trace->waitFor(mark, seen);
        xdotool("keyup " + key);
        return frame;
    }

    std::unique_ptr<GameTrace> trace;
};
