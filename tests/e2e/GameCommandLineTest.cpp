// The game's options, given to the real game as a player types them.

#include "GameFixture.h"
#include "support/GameTrace.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <sstream>

namespace {

using GameCommandLineTest = GameFixture;

struct BadOption {
    std::vector<std::string> args;
    std::string named; // what the one line must quote
};

} // namespace

TEST_F(GameCommandLineTest, EachBadOptionOrValueIsOneLineAndStatus2WithoutAWindow) {
    const BadOption cases[] = {
        {{"--bogus"}, "'--bogus'"},
        {{"-x"}, "'-x'"},
        {{"stray"}, "'stray'"},
        {{"--", "stray"}, "'stray'"},
        {{"--sensitivity=0"}, "'0'"},
        {{"--sensitivity=-1"}, "'-1'"},
        {{"--sensitivity=10.01"}, "'10.01'"},
        {{"--sensitivity=nan"}, "'nan'"},
        {{"--sensitivity=1e1"}, "'1e1'"},
        {{"--sensitivity="}, "''"},
        {{"--sensitivity", "fast"}, "'fast'"},
        {{"--sensitivity"}, "'--sensitivity'"},
        {{"--fullscreen=yes"}, "'--fullscreen'"},
        {{"--help", "--bogus"}, "'--bogus'"},
    };
    for (const BadOption& bad : cases) {
        std::string shown;
        for (const std::string& a : bad.args) {
            shown += " " + a;
        }
        SCOPED_TRACE("morrowfen" + shown);
        auto game = startGame({}, MORROWFEN_GAME_DIR, bad.args);
        EXPECT_EQ(game->waitForExit(20000), 2);
        const std::string& err = game->err();
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_NE(err.find(bad.named), std::string::npos) << err;
        EXPECT_NE(err.find("morrowfen --help"), std::string::npos) << err;
        EXPECT_EQ(game->out(), "");
        EXPECT_FALSE(findWindow(TITLE, 0));
    }
}

TEST_F(GameCommandLineTest, HelpAndVersionPrintAndEndWithoutAWindow) {
    auto help = startGame({{"DISPLAY", std::nullopt}}, MORROWFEN_GAME_DIR, {"--help"});
    EXPECT_EQ(help->waitForExit(20000), 0);
    const std::string& usage = help->out();
    EXPECT_EQ(usage.rfind("Usage: morrowfen [OPTION]...\n", 0), 0u) << usage;
    for (const char* option :
         {"--sensitivity=DEGREES", "--fullscreen", "--no-sound", "--record=FILE", "--play=FILE",
          "--timedemo=FILE", "--help", "--version"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(help->err(), "");

    auto version = startGame({{"DISPLAY", std::nullopt}}, MORROWFEN_GAME_DIR, {"--vers"});
    EXPECT_EQ(version->waitForExit(20000), 0);
    EXPECT_EQ(version->out(), "morrowfen 1.0.0\n");
    EXPECT_FALSE(findWindow(TITLE, 0));
}

TEST_F(GameCommandLineTest, HalfSensitivityTurns45DegreesFor90Pixels) {
    // The game measures the pointer from where it enters the window.
    xdotool("mousemove 512 384");
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game, {}, {"--sensitivity=0.5"});
    ASSERT_NE(window, 0ul);
    long mark = trace->now();
    xdotool("mousemove_relative -- 90 0");
    auto turned = trace->waitFor(mark, [](const TraceFrame& f) { return f.heading != 0.0; });
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->heading, 45.0) << turned->line;
    EXPECT_EQ(quitWithEscape(*game, window), 255);
}

TEST_F(GameCommandLineTest, NoSoundPlaysWithoutTheDeviceAndIsSilent) {
    // With no device to open, and with one that would write what it plays
    // to a file: neither is opened.
    const std::string captured = makeTestScratchDir("nosound") + "/mixed.raw";
    const ChildProcess::EnvChanges devices[] = {
        {{"SDL_AUDIODRIVER", "nosuchdriver"}},
        {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", captured}, {"SDL_DISKAUDIODELAY", "1"}},
    };
    for (const auto& env : devices) {
        SCOPED_TRACE(*env.at("SDL_AUDIODRIVER"));
        std::unique_ptr<ChildProcess> game;
        unsigned long window = startAndFindWindow(game, env, {"--no-sound"});
        ASSERT_NE(window, 0ul);
        // A second of play, in which the music would have started.
        const double start = trace->frames().back().t;
        EXPECT_TRUE(trace->waitFor(
            0, [&](const TraceFrame& f) { return f.t > start + 1.0; }, 60000));
        EXPECT_EQ(game->out().find("audio"), std::string::npos) << game->out();
        EXPECT_EQ(game->err(), "");
        EXPECT_FALSE(std::filesystem::exists(captured));
        EXPECT_EQ(quitWithEscape(*game, window), 255);
    }
}

TEST_F(GameCommandLineTest, TheLaunchersFallbackPlaysSilentlySayingSoOnce) {
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game, {{"SDL_AUDIODRIVER", "alsa"},
                                                     {"ALSA_CONFIG_PATH", "/nonexistent"},
                                                     {"MORROWFEN_SOUND_FALLBACK", "1"}});
    ASSERT_NE(window, 0ul);
    const std::string& err = game->err();
    EXPECT_EQ(err.rfind("morrowfen: no sound device could be opened (", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_NE(err.find("; playing without sound\n"), std::string::npos) << err;
    EXPECT_EQ(quitWithEscape(*game, window), 255);
}

TEST_F(GameCommandLineTest, FullscreenCoversTheScreenAt1024By768) {
    // SDL shows a full screen in a window of its own that no window manager
    // may move, mapped over the whole screen; a windowed game leaves that
    // one unmapped.
    auto screenCovers = []() {
        int covering = 0;
        std::istringstream children(runCommand("xwininfo -root -children"));
        for (std::string line; std::getline(children, line);) {
            const size_t id = line.find("0x");
            if (line.rfind("     0x", 0) != 0 || id == std::string::npos) {
                continue;
            }
            const std::string info =
                runCommand("xwininfo -id " + line.substr(id, line.find(' ', id) - id));
            covering += info.find("Override Redirect State: yes") != std::string::npos &&
                        info.find("Map State: IsViewable") != std::string::npos &&
                        info.find("Width: 1024") != std::string::npos &&
                        info.find("Height: 768") != std::string::npos &&
                        info.find("Absolute upper-left X:  0") != std::string::npos &&
                        info.find("Absolute upper-left Y:  0") != std::string::npos;
        }
        return covering;
    };
    for (bool full : {true, false}) {
        SCOPED_TRACE(full ? "--fullscreen" : "windowed");
        std::unique_ptr<ChildProcess> game;
        unsigned long window = startAndFindWindow(
            game, {}, full ? std::vector<std::string>{"--fullscreen"} : std::vector<std::string>{});
        ASSERT_NE(window, 0ul);
        std::string info = runCommand("xwininfo -id " + std::to_string(window));
        EXPECT_NE(info.find("Width: 1024"), std::string::npos) << info;
        EXPECT_NE(info.find("Height: 768"), std::string::npos) << info;
        EXPECT_EQ(screenCovers(), full ? 1 : 0);
        EXPECT_EQ(quitWithEscape(*game, window), 255);
    }
}
