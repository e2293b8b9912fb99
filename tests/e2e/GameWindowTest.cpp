// Starts the real game on the test display and looks at it as a player would.

#include "GameFixture.h"
#include "support/Process.h"
#include "support/TestFiles.h"
#include "support/X11Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

using GameTest = GameFixture;

namespace {

// Pixels of the display's red text in the box x0 <= x < x1, y0 <= y < y1
// (window rows, top first).
int redPixels(const WindowPixels& p, int x0, int y0, int x1, int y1) {
    int red = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            unsigned long c = p.at(x, y);
            red += (c >> 16) > 150 && ((c >> 8) & 0xFF) < 80 && (c & 0xFF) < 80;
        }
    }
    return red;
}

// Red runs along a window row, counting runs closer than 5 pixels as one.
int redRuns(const WindowPixels& p, int y, int x0, int x1, int* lastRed) {
    int runs = 0;
    *lastRed = -100;
    for (int x = x0; x < x1; ++x) {
        if (redPixels(p, x, y, x + 1, y + 1) > 0) {
            runs += x - *lastRed > 5;
            *lastRed = x;
        }
    }
    return runs;
}

} // namespace

TEST_F(GameTest, OpensTheWindowAndLogsStartUp) {
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game);
    ASSERT_NE(window, 0ul);

    EXPECT_EQ(
        game->out().rfind("Initialized SDL\nInitialized audio-device\nSet up OpenGL-screen\n", 0),
        0u)
        << game->out();

    std::string info = runCommand("xwininfo -id " + std::to_string(window));
    EXPECT_NE(info.find("Width: 1024"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 768"), std::string::npos) << info;
    std::string name = runCommand("xprop -id " + std::to_string(window) + " WM_NAME");
    EXPECT_EQ(name, "WM_NAME(STRING) = \"Morrowfen\"\n");

    // The frame loop keeps running and presents the field from behind the
    // figure's start point: grass below, fading into black fog at the top.
    EXPECT_FALSE(game->waitForExit(1000).has_value());
    EXPECT_NE(game->out().find("\nCreated objects and camera\n"), std::string::npos) << game->out();
    EXPECT_EQ(game->err(), "");
    auto pixels = grabWindow(window);
    ASSERT_TRUE(pixels.has_value());
    EXPECT_EQ(pixels->width, 1024);
    EXPECT_EQ(pixels->height, 768);
    // To the right of the tree's crown, the far end of the field sinks into
    // the fog.
    auto bandBrightness = [&](int top) {
        unsigned long sum = 0;
        for (int y = top; y < top + 10; ++y) {
            for (int x = 800; x < 1024; ++x) {
                unsigned long p = pixels->at(x, y);
                sum += (p >> 16) + ((p >> 8) & 0xFF) + (p & 0xFF);
            }
        }
        return sum / (10 * 224);
    };
    EXPECT_LT(bandBrightness(0) * 4, bandBrightness(740)) << "no fog towards the far fence";
    // Right of the tree and clear of the display's shells.
    unsigned long red = 0, green = 0, blue = 0;
    for (int y = 600; y < 760; ++y) {
        for (int x = 600; x < 800; ++x) {
            unsigned long p = pixels->at(x, y);
            red += p >> 16;
            green += (p >> 8) & 0xFF;
            blue += p & 0xFF;
        }
    }
    EXPECT_GT(green, red);
    EXPECT_GT(green, blue);
    EXPECT_GT(green / (160 * 200), 40ul) << "the ground in front of the figure is too dark";
    EXPECT_GT(pixels->nonBlack, 1024ul * 768 / 2);
    std::string shot = makeScratchDir("screenshots") + "/startup.png";
    int status = -1;
    runCommand("import -window " + std::to_string(window) + " " + shot, &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(game->running());
}

TEST_F(GameTest, EscapeEndsTheGameWithStatus255) {
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game);
    ASSERT_NE(window, 0ul);
    EXPECT_EQ(quitWithEscape(*game, window), 255) << game->out() << game->err();
    EXPECT_FALSE(findWindow(TITLE, 0));
}

TEST_F(GameTest, ClosingTheWindowEndsTheGameWithStatus255) {
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game);
    ASSERT_NE(window, 0ul);
    ASSERT_TRUE(sendWmDelete(window));
    EXPECT_EQ(game->waitForExit(10000), 255) << game->out() << game->err();
    EXPECT_FALSE(findWindow(TITLE, 0));
}

TEST_F(GameTest, NoAudioDeviceEndsWithStatus50AndNoWindow) {
    auto game = startGame({{"SDL_AUDIODRIVER", "nosuchdriver"}});
    EXPECT_EQ(game->waitForExit(20000), 50) << game->err();
    const std::string& out = game->out();
    const std::string expected = "Initialized SDL\nUnable to initialize Audio: ";
    ASSERT_EQ(out.rfind(expected, 0), 0u) << out;
    // SDL's own reason follows on the same line, and nothing after it.
    std::string reason = out.substr(expected.size());
    ASSERT_FALSE(reason.empty());
    EXPECT_NE(reason.front(), '\n');
    EXPECT_EQ(reason.find('\n'), reason.size() - 1) << out;
    EXPECT_FALSE(findWindow(TITLE, 0));
}

TEST_F(GameTest, NoDisplayIsReportedWithItsStatus) {
    // With and without a terminal: SDL must not fall back to a text-mode
    // video driver, which would take over the terminal or end the process
    // silently.
    for (const char* term : {"xterm", ""}) {
        ChildProcess::EnvChanges env = {{"DISPLAY", std::nullopt}};
        env["TERM"] = *term ? std::optional<std::string>(term) : std::nullopt;
        auto game = startGame(env);
        EXPECT_EQ(game->waitForExit(20000), 10) << game->out() << game->err();
        // One line: our prefix, then SDL's own reason.
        const std::string& out = game->out();
        EXPECT_EQ(out.rfind("Unable to initialize SDL: ", 0), 0u) << out;
        EXPECT_GT(out.size(), std::string("Unable to initialize SDL: \n").size()) << out;
        EXPECT_EQ(out.find('\n'), out.size() - 1) << out;
        EXPECT_EQ(game->err(), "");
    }
}

TEST_F(GameTest, PlayCommandStartsTheGameInItsFolder) {
    // The play command sets up and builds its own tree (nothing to do here:
    // the test command built it before the suite), says where, then starts
    // the game there; Escape ends it.
    ChildProcess play(MORROWFEN_SOURCE_DIR "/scripts/play.sh", {}, MORROWFEN_SOURCE_DIR,
                      {{"SDL_AUDIODRIVER", std::nullopt}});
    auto window = findWindow(TITLE, 240000);
    ASSERT_TRUE(window.has_value()) << play.out() << play.err();
    EXPECT_TRUE(play.waitForOutput("Set up OpenGL-screen\n", 10000)) << play.out();
    const std::string gameDir = MORROWFEN_SOURCE_DIR "/build-play/game";
    EXPECT_EQ(play.out().rfind("morrowfen: built in " + gameDir + "\n", 0), 0u) << play.out();
    // The script hands its process over to the game.
    std::error_code error;
    auto cwd = std::filesystem::read_symlink("/proc/" + std::to_string(play.pid()) + "/cwd", error);
    EXPECT_EQ(cwd, std::filesystem::canonical(gameDir)) << error.message();
    // A key held while the game is still loading its world can come and go
    // before its first frame looks: press until it has seen one.
    EXPECT_EQ(quitWithEscape(play, *window), 255) << play.out() << play.err();
}

TEST(PlayCommandTest, WithoutADisplaySaysSoInOneLine) {
    ChildProcess play(MORROWFEN_SOURCE_DIR "/scripts/play.sh", {}, MORROWFEN_SOURCE_DIR,
                      {{"DISPLAY", std::nullopt}});
    EXPECT_EQ(play.waitForExit(20000), 1);
    const std::string& err = play.err();
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_NE(err.find("no display"), std::string::npos) << err;
    EXPECT_NE(err.find("xvfb-run"), std::string::npos) << err;
    EXPECT_EQ(play.out(), "");
}

TEST_F(GameTest, ShowsTheDisplayAndTheFrameRateAfterF2) {
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game);
    ASSERT_NE(window, 0ul);
    // Text boxes in window rows: each line's baseline is at 768 minus its
    // height, the glyphs stand up to 22 pixels above it.
    struct Line {
        const char* what;
        int x0, y0, x1, y1;
    };
    const Line score = {"score", 15, 6, 200, 30};
    const Line health = {"health", 745, 6, 1020, 30};
    const Line fpsLine = {"frame rate", 15, 46, 300, 70};
    const Line weapon = {"weapon and clips", 5, 646, 120, 690};
    auto shows = [](const WindowPixels& p, const Line& l) {
        return redPixels(p, l.x0, l.y0, l.x1, l.y1) > 60;
    };

    std::optional<WindowPixels> pixels;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    do {
        pixels = grabWindow(window);
        ASSERT_TRUE(pixels.has_value());
    } while (!shows(*pixels, score) && std::chrono::steady_clock::now() < deadline);
    for (const Line& l : {score, health, weapon}) {
        EXPECT_TRUE(shows(*pixels, l)) << "no " << l.what;
    }
    EXPECT_EQ(redPixels(*pixels, fpsLine.x0, fpsLine.y0, fpsLine.x1, fpsLine.y1), 0);
    EXPECT_EQ(redPixels(*pixels, 300, 6, 700, 30), 0) << "text between score and health";
    // A fresh figure's pistol: twelve shells from the left edge, the last
    // ending at x = 417.
    int lastRed = 0;
    EXPECT_EQ(redRuns(*pixels, 730, 0, 600, &lastRed), 12);
    EXPECT_LT(lastRed, 417);
    EXPECT_GT(lastRed, 417 - 33);
    runCommand("import -window " + std::to_string(window) + " " +
               makeScratchDir("screenshots/hud") + "/hud.png");

    // One press of F2, held until the game has seen it, switches the line on.
    long mark = trace->now();
    xdotool("keydown F2");
    auto switched = trace->waitFor(mark, [](const TraceFrame& f) { return f.showFps; });
    xdotool("keyup F2");
    ASSERT_TRUE(switched);
    bool fpsShown = false;
    trace->waitFor(switched->frame, [&](const TraceFrame&) {
        pixels = grabWindow(window);
        fpsShown = pixels.has_value() && shows(*pixels, fpsLine);
        return fpsShown;
    });
    EXPECT_TRUE(fpsShown) << "no frame-rate line after F2";
    for (const Line& l : {score, health, weapon}) {
        EXPECT_TRUE(shows(*pixels, l)) << "no " << l.what << " with the frame rate";
    }
    EXPECT_TRUE(game->running());
}

TEST_F(GameTest, FontThatCannotBeLoadedEndsStartUpWithItsOwnStatus) {
    // The game's res/ folder, seen through links, with the font missing or
    // replaced by something that is no font.
    const std::vector<unsigned char> notAFont = {'n', 'o', ' ', 'f', 'o', 'n', 't', '\n'};
    for (bool present : {false, true}) {
        const std::string dir =
            resWithout("arialBlack.ttf", present ? "res-bad-font" : "res-no-font");
        if (present) {
            writeFile(dir + "/res/arialBlack.ttf", notAFont);
        }
        auto game = startGame({}, dir);
        EXPECT_EQ(game->waitForExit(20000), 120) << game->out() << game->err();
        EXPECT_FALSE(game->killedBySignal());
        EXPECT_EQ(game->out(), "Initialized SDL\nInitialized audio-device\nSet up OpenGL-screen\n"
                               "Unable to load font res/arialBlack.ttf: FT_New_Face failed (there "
                               "is probably a problem with your font file)\n");
        EXPECT_EQ(game->err(), "");
        EXPECT_FALSE(findWindow(TITLE, 0));
    }
}

TEST_F(GameTest, NoFigureMeansNoGameAndItsOwnStatus) {
    auto game = startGame({}, resWithout("character.md2", "res-no-figure"));
    EXPECT_EQ(game->waitForExit(30000), 121) << game->out() << game->err();
    EXPECT_FALSE(game->killedBySignal());
    const std::string& out = game->out();
    const std::string before = "Set up OpenGL-screen\nError creating objects! Reason: ";
    const std::string after = "\nCreated objects and camera\n"
                              "Cannot play without the player figure and the camera\n";
    ASSERT_NE(out.find(before), std::string::npos) << out;
    EXPECT_EQ(out.substr(out.size() - after.size()), after) << out;
    EXPECT_FALSE(findWindow(TITLE, 0));
}
