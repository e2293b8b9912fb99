// What the player plays must reach the sound card: SDL's disk driver writes
// the mixed output to a file, which these tests read back.

#include "support/DiskAudio.h"
#include "support/SoundFiles.h"
#include "support/TestFiles.h"
#include "text_sound/AudioPlayer.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

const int RATE = DiskAudio::RATE;

class DiskAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeTestScratchDir("disk_audio");
        device.open(dir);
        player = AudioPlayer::getInstance();
    }

    void TearDown() override {
        delete player;
        device.close();
    }

    std::vector<short> listen(const std::function<void()>& action, size_t buffers, size_t* first,
                              size_t quietSince = 0) {
        return device.listen(action, buffers, first, quietSince);
    }
    size_t mark() { return device.mark(); }

    std::string dir;
    DiskAudio device;
    AudioPlayer* player = nullptr;
};

} // namespace

TEST_F(DiskAudioTest, TheShotIsHeardWholeAndThenSilence) {
    std::vector<short> shot = shotSamples(RATE, 0.4);
    std::string file = dir + "/gun_shotgun2.WAV";
    writeFile(file, makeWav(shot, RATE));
    const char* name = file.c_str();
    ASSERT_TRUE(player->loadSound(name));

    size_t first = 0;
    std::vector<short> out = listen([&] { player->playSound(name); }, 10, &first);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(first % 2, 0u) << "starts on a left sample";

    // The 0.4 s burst reaches the output unchanged on both sides, and nothing
    // follows it.
    ASSERT_GE(out.size(), first + shot.size() * 2);
    for (size_t i = 0; i < shot.size(); ++i) {
        ASSERT_EQ(out[first + 2 * i], shot[i]) << "frame " << i;
        ASSERT_EQ(out[first + 2 * i + 1], shot[i]) << "frame " << i;
    }
    EXPECT_EQ(lastSound(out), first + shot.size() * 2 - 1);
}

TEST_F(DiskAudioTest, MusicFillsTheOutputAndLoops) {
    std::string file = dir + "/Ravonel.ogg";
    writeFile(file, makeOgg(chirpSamples(RATE, 1.0), RATE));

    // Over three seconds of a one-second piece.
    size_t first = 0;
    std::vector<short> out = listen([&] { player->playMusic(file.c_str()); }, 18, &first);
    ASSERT_NE(first, std::string::npos);
    ASSERT_GT(out.size() - first, 3u * RATE * 2);
    size_t gap = firstQuietWindow(out, first, out.size(), 2 * 512, 3000.0);
    EXPECT_EQ(gap, std::string::npos) << "a gap " << (gap - first) / 2 << " frames in";
}

TEST_F(DiskAudioTest, ToggledTwiceTheMusicStartsAgainFromTheTop) {
    std::string file = dir + "/music.ogg";
    writeFile(file, makeOgg(chirpSamples(RATE, 1.0), RATE));
    const size_t piece = RATE * 2; // one second of stereo samples

    size_t first = 0;
    std::vector<short> out = listen([&] { player->playMusic(file.c_str()); }, 8, &first);
    ASSERT_NE(first, std::string::npos);
    std::vector<short> top(out.begin() + static_cast<long>(first), out.end());

    player->toggleMusic();
    size_t stopped = mark();
    size_t again = 0;
    // Silent from two buffers after the stop until the music comes back.
    out = listen([&] { player->toggleMusic(); }, 8, &again, stopped / 2);
    ASSERT_NE(again, std::string::npos) << "the music did not come back";
    ASSERT_GE(out.size(), again + piece);
    ASSERT_GE(top.size(), piece);
    for (size_t i = 0; i < piece; ++i) {
        ASSERT_EQ(out[again + i], top[i]) << "differs at sample " << i;
    }
}
