#include "text_sound/AudioPlayer.h"
#include "app/MainLoop.h"
#include "support/SoundFiles.h"
#include "support/TestFiles.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

// Every SDL_mixer call the player makes passes through here on its way to
// the library (the test binary is linked with --wrap for these names), so
// the tests can see which calls were made, in which order, with what.
namespace {

std::vector<std::string> calls;

std::string ptr(const void* p) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", p);
    return text;
}

} // namespace

extern "C" {
Mix_Chunk* __real_Mix_LoadWAV_RW(SDL_RWops* src, int freesrc);
int __real_Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks);
Mix_Music* __real_Mix_LoadMUS(const char* file);
int __real_Mix_PlayMusic(Mix_Music* music, int loops);
int __real_Mix_HaltMusic(void);
void __real_Mix_FreeMusic(Mix_Music* music);

Mix_Chunk* __wrap_Mix_LoadWAV_RW(SDL_RWops* src, int freesrc) {
    Mix_Chunk* chunk = __real_Mix_LoadWAV_RW(src, freesrc);
    calls.push_back("LoadWAV " + std::to_string(freesrc) + " -> " + ptr(chunk));
    return chunk;
}

int __wrap_Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    int result = __real_Mix_PlayChannelTimed(channel, chunk, loops, ticks);
    calls.push_back("PlayChannel " + std::to_string(channel) + " " + ptr(chunk) + " " +
                    std::to_string(loops) + " " + std::to_string(ticks) + " -> " +
                    std::to_string(result));
    return result;
}

Mix_Music* __wrap_Mix_LoadMUS(const char* file) {
    Mix_Music* music = __real_Mix_LoadMUS(file);
    calls.push_back(std::string("LoadMUS ") + file + " -> " + ptr(music));
    return music;
}

int __wrap_Mix_PlayMusic(Mix_Music* music, int loops) {
    calls.push_back("PlayMusic " + ptr(music) + " " + std::to_string(loops));
    return __real_Mix_PlayMusic(music, loops);
}

int __wrap_Mix_HaltMusic(void) {
    calls.push_back("HaltMusic");
    return __real_Mix_HaltMusic();
}

void __wrap_Mix_FreeMusic(Mix_Music* music) {
    calls.push_back("FreeMusic " + ptr(music));
    __real_Mix_FreeMusic(music);
}
}

namespace {

using Calls = std::vector<std::string>;

// The player on SDL's silent dummy driver, opened as the game opens it.
class AudioPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
        dir = makeTestScratchDir("audio_player");
        shot = dir + "/shot.WAV";
        writeFile(shot, makeWav(shotSamples(22050, 0.4), 22050));
        longSound = dir + "/long.WAV";
        writeFile(longSound, makeWav(std::vector<short>(22050 * 5, 1000), 22050));
        musicA = dir + "/a.ogg";
        writeFile(musicA, makeOgg(chirpSamples(22050, 1.0), 22050));
        musicB = dir + "/b.ogg";
        writeFile(musicB, makeOgg(chirpSamples(22050, 2.0), 22050));
        missing = dir + "/missing.WAV";
        player = AudioPlayer::getInstance();
        calls.clear();
    }

    void TearDown() override {
        delete player;
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    // Takes the calls made so far.
    static Calls taken() {
        Calls result;
        result.swap(calls);
        return result;
    }

    std::string dir, shot, longSound, musicA, musicB, missing;
    AudioPlayer* player = nullptr;
};

} // namespace

TEST_F(AudioPlayerTest, SoundsAreKeyedByPointerNotByText) {
    std::string sameText = shot; // equal text at another address
    const char* first = shot.c_str();
    const char* second = sameText.c_str();
    ASSERT_NE(first, second);

    EXPECT_TRUE(player->loadSound(first));
    EXPECT_FALSE(player->loadSound(first));
    Calls once = taken();
    ASSERT_EQ(once.size(), 1u) << "the second load must not read the file again";
    EXPECT_EQ(once[0].rfind("LoadWAV 1 -> ", 0), 0u) << "SDL_mixer closes the stream";

    EXPECT_TRUE(player->loadSound(second));
    EXPECT_EQ(taken().size(), 1u);
    ASSERT_EQ(player->getSounds().size(), 2u);
    Mix_Chunk* a = player->getSounds().at(first);
    Mix_Chunk* b = player->getSounds().at(second);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(a->alen, 8820u * 4) << "0.4 s of 16-bit stereo";
}

TEST_F(AudioPlayerTest, AFailedLoadIsTriedAgain) {
    std::string path = missing;
    const char* name = path.c_str();
    EXPECT_TRUE(player->loadSound(name));
    ASSERT_EQ(player->getSounds().count(name), 1u);
    EXPECT_EQ(player->getSounds().at(name), nullptr);
    EXPECT_TRUE(player->loadSound(name));
    EXPECT_EQ(taken(), (Calls{"LoadWAV 1 -> " + ptr(nullptr), "LoadWAV 1 -> " + ptr(nullptr)}));

    std::filesystem::copy_file(shot, missing);
    EXPECT_TRUE(player->loadSound(name));
    EXPECT_NE(player->getSounds().at(name), nullptr);
    EXPECT_FALSE(player->loadSound(name));
}

TEST_F(AudioPlayerTest, PlayingBeforeLoadingLeavesANullEntryThatALoadFills) {
    const char* name = shot.c_str();
    player->playSound(name);
    ASSERT_EQ(player->getSounds().count(name), 1u);
    EXPECT_EQ(player->getSounds().at(name), nullptr);
    EXPECT_EQ(taken(), Calls{"PlayChannel -1 " + ptr(nullptr) + " 0 -1 -> -1"});
    EXPECT_EQ(Mix_Playing(-1), 0);

    EXPECT_TRUE(player->loadSound(name));
    Mix_Chunk* chunk = player->getSounds().at(name);
    ASSERT_NE(chunk, nullptr);
    taken();
    player->playSound(name);
    EXPECT_EQ(taken(), Calls{"PlayChannel -1 " + ptr(chunk) + " 0 -1 -> 0"});
    EXPECT_EQ(Mix_Playing(0), 1);
}

TEST_F(AudioPlayerTest, EachPlayTakesTheFirstFreeChannelUntilNoneIsLeft) {
    const char* name = longSound.c_str();
    ASSERT_TRUE(player->loadSound(name));
    int channels = Mix_AllocateChannels(-1);
    ASSERT_GT(channels, 0);
    taken();
    for (int i = 0; i < channels; ++i) {
        player->playSound(name);
    }
    Calls played = taken();
    ASSERT_EQ(played.size(), static_cast<size_t>(channels));
    for (int i = 0; i < channels; ++i) {
        EXPECT_EQ(played[i].substr(played[i].rfind(' ') + 1), std::to_string(i));
    }
    // Every channel busy with 5 s of sound: the next play is silently lost.
    player->playSound(name);
    Calls lost = taken();
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].substr(lost[0].rfind(' ') + 1), "-1");
    EXPECT_EQ(Mix_Playing(-1), channels);

    Mix_HaltChannel(3);
    player->playSound(name);
    Calls refilled = taken();
    ASSERT_EQ(refilled.size(), 1u);
    EXPECT_EQ(refilled[0].substr(refilled[0].rfind(' ') + 1), "3");
}

TEST_F(AudioPlayerTest, PlayMusicOverMusicStopsAndFreesTheOldOneFirst) {
    player->playMusic(musicA.c_str());
    Mix_Music* a = player->getMusic();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(taken(),
              (Calls{"LoadMUS " + musicA + " -> " + ptr(a), "PlayMusic " + ptr(a) + " -1"}));
    EXPECT_EQ(Mix_PlayingMusic(), 1);

    player->playMusic(musicB.c_str());
    Mix_Music* b = player->getMusic();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(taken(),
              (Calls{"HaltMusic", "FreeMusic " + ptr(a), "LoadMUS " + musicB + " -> " + ptr(b),
                     "PlayMusic " + ptr(b) + " -1"}));
    EXPECT_EQ(player->getMusicFile(), musicB.c_str());
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(AudioPlayerTest, ToggleMusicTwiceStopsItThenStartsItAgain) {
    player->playMusic(musicA.c_str());
    Mix_Music* first = player->getMusic();
    taken();

    player->toggleMusic();
    EXPECT_EQ(taken(), (Calls{"HaltMusic", "FreeMusic " + ptr(first)}));
    EXPECT_EQ(player->getMusic(), nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    player->toggleMusic();
    Mix_Music* again = player->getMusic();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(taken(), (Calls{"LoadMUS " + musicA + " -> " + ptr(again),
                              "PlayMusic " + ptr(again) + " -1"}));
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(AudioPlayerTest, MusicThatWillNotLoadIsSilentAndTriedAgainOnToggle) {
    std::string path = dir + "/later.ogg";
    player->playMusic(path.c_str());
    EXPECT_EQ(player->getMusic(), nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(taken(), (Calls{"LoadMUS " + path + " -> " + ptr(nullptr),
                              "PlayMusic " + ptr(nullptr) + " -1"}));

    std::filesystem::copy_file(musicA, path);
    player->toggleMusic();
    EXPECT_NE(player->getMusic(), nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

TEST_F(AudioPlayerTest, StoppingOrTogglingWithoutMusicIsHarmless) {
    player->toggleMusic(); // no music file given yet: nothing to start
    EXPECT_TRUE(taken().empty());
    EXPECT_EQ(player->getMusic(), nullptr);
    player->stopMusic();
    EXPECT_EQ(taken(), (Calls{"HaltMusic", "FreeMusic " + ptr(nullptr)}));
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(AudioPlayerTest, StartMusicLoopsTheGamesTheme) {
    std::filesystem::create_directories(dir + "/res");
    std::filesystem::copy_file(musicA, dir + "/res/Ravonel.ogg");
    std::string previous = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(dir.c_str()), 0);
    startMusic();
    ASSERT_EQ(chdir(previous.c_str()), 0);
    EXPECT_STREQ(player->getMusicFile(), "res/Ravonel.ogg");
    Mix_Music* music = player->getMusic();
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(taken(), (Calls{"LoadMUS res/Ravonel.ogg -> " + ptr(music),
                              "PlayMusic " + ptr(music) + " -1"}));
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}
