// The game starts its music by itself: run it with SDL's disk driver and
// listen to what it mixes.

#include "support/Process.h"
#include "support/SoundFiles.h"
#include "support/TestFiles.h"
#include "support/X11Window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A game folder whose res/ holds everything the built game has, with a
// music file of our own in place of the theme.
std::string makeGameDir() {
    std::string dir = makeTestScratchDir("game_music");
    fs::create_directories(dir + "/res");
    fs::path res = fs::path(MORROWFEN_GAME_DIR) / "res";
    if (fs::is_directory(res)) {
        for (const auto& entry : fs::directory_iterator(res)) {
            if (entry.path().filename() != "Ravonel.ogg") {
                fs::create_symlink(entry.path(), fs::path(dir) / "res" / entry.path().filename());
            }
        }
    }
    writeFile(dir + "/res/Ravonel.ogg", makeOgg(chirpSamples(22050, 1.0), 22050));
    return dir;
}

} // namespace

TEST(GameMusicTest, TheThemePlaysFromStartUpOnAndLoops) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run the tests under Xvfb (scripts/test.sh)";
    ASSERT_FALSE(findWindow("Morrowfen", 0)) << "a game window is already open on this display";
    std::string dir = makeGameDir();
    std::string capture = dir + "/mixed.raw";
    ChildProcess game(MORROWFEN_EXE, {}, dir,
                      {{"SDL_AUDIODRIVER", "disk"},
                       {"SDL_DISKAUDIOFILE", capture},
                       {"SDL_DISKAUDIODELAY", "10"}});
    ASSERT_TRUE(game.waitForOutput("Set up OpenGL-screen\n", 20000)) << game.out() << game.err();
    auto window = findWindow("Morrowfen", 20000);
    ASSERT_TRUE(window.has_value());

    // The device runs from before the window, silent until start-up has
    // loaded the world and started the music; however long that takes, wait
    // for over four seconds of a one-second theme after its first sound.
    const size_t wanted = 4 * 22050 * 2 + 22050;
    size_t first = std::string::npos;
    size_t bytes = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        bytes = fileSize(capture) / 4 * 4;
        std::vector<short> sofar = readCapture(capture, bytes);
        first = firstSound(sofar);
        if (first != std::string::npos && sofar.size() >= first + wanted) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Closed as a window manager would: a close request waits in the event
    // queue, where a quick key tap can slip past a slow frame.
    ASSERT_TRUE(sendWmDelete(*window));
    EXPECT_EQ(game.waitForExit(10000), 255) << game.err();
    ASSERT_NE(first, std::string::npos) << "the game made no sound";

    std::vector<short> out = readCapture(capture, bytes);
    // From its first sound on the theme never falls silent, across its loops.
    size_t gap = firstQuietWindow(out, first, out.size(), 2 * 512, 3000.0);
    EXPECT_EQ(gap, std::string::npos) << "a gap " << (gap - first) / 2 << " frames in";
    EXPECT_GT(out.size() - first, 3u * 22050 * 2) << "less than three seconds of music";
}
