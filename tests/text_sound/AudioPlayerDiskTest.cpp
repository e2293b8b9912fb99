// What the player plays must reach the sound card: SDL's disk driver writes
// the mixed output to a file, which these tests read back.

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

const int RATE = 22050;
// One mixing buffer of the game's device: 4096 frames of 16-bit stereo.
const size_t BUFFER_SAMPLES = 4096 * 2;
const size_t BUFFER_BYTES = BUFFER_SAMPLES * 2;
const int WAIT_MS = 20000;

class DiskAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeTestScratchDir("disk_audio");
        capture = dir + "/mixed.raw";
        for (const char* name : {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIODELAY"}) {
            const char* value = std::getenv(name);
            saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
        // Milliseconds between buffers: the capture runs ahead of real time.
        setenv("SDL_DISKAUDIODELAY", "10", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
        int rate = 0;
        Uint16 format = 0;
        int channels = 0;
        ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
        ASSERT_EQ(rate, RATE);
        ASSERT_EQ(format, AUDIO_S16LSB);
        ASSERT_EQ(channels, 2);
        player = AudioPlayer::getInstance();
    }

    void TearDown() override {
        delete player;
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        const char* names[] = {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIODELAY"};
        for (size_t i = 0; i < saved.size(); ++i) {
            if (saved[i]) {
                setenv(names[i], saved[i]->c_str(), 1);
            } else {
                unsetenv(names[i]);
            }
        }
    }

    // Where the next buffer will start once the device has written a few:
    // everything from here on is mixed after this call.
    size_t mark() {
        size_t now = fileSize(capture);
        EXPECT_TRUE(waitForFileSize(capture, now + 2 * BUFFER_BYTES, WAIT_MS));
        return fileSize(capture) / BUFFER_BYTES * BUFFER_BYTES;
    }

    // Waits until buffers more buffers have been written after offset.
    void waitBuffers(size_t offset, size_t buffers) {
        ASSERT_TRUE(waitForFileSize(capture, offset + buffers * BUFFER_BYTES, WAIT_MS))
            << "the disk driver wrote only " << fileSize(capture) << " bytes";
    }

    // Runs action once the device is steady and returns the whole capture
    // after buffers more buffers. first receives the sample where the sound
    // of the action begins: within two buffers, and silence before it back
    // to sample quietSince.
    std::vector<short> listen(const std::function<void()>& action, size_t buffers, size_t* first,
                              size_t quietSince = 0) {
        size_t start = mark();
        action();
        waitBuffers(start, buffers);
        std::vector<short> out = readCapture(capture, start + buffers * BUFFER_BYTES);
        *first = firstSound(out, start / 2);
        EXPECT_NE(*first, std::string::npos) << "nothing was heard";
        EXPECT_EQ(firstSound(out, quietSince), *first) << "sound before the action";
        EXPECT_LT(*first - start / 2, 2 * BUFFER_SAMPLES) << "not heard within two buffers";
        return out;
    }

    std::string dir;
    std::string capture;
    std::vector<std::optional<std::string>> saved;
    AudioPlayer* player = nullptr;
};

size_t lastSound(const std::vector<short>& s) {
    for (size_t i = s.size(); i > 0; --i) {
        if (s[i - 1] != 0) {
            return i - 1;
        }
    }
    return std::string::npos;
}

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
