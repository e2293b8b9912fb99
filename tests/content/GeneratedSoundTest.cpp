#include "GeneratedRes.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The game's mixer settings; SDL_AUDIODRIVER is dummy in tests.
class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
    }
    void TearDown() override {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
};

// Every sample of the music, interleaved stereo.
std::vector<float> decodeMusic(int* rate) {
    OggVorbis_File vf;
    std::string path = resPath("Ravonel.ogg");
    if (ov_fopen(path.c_str(), &vf) != 0)
        return {};
    vorbis_info* info = ov_info(&vf, -1);
    *rate = int(info->rate);
    std::vector<float> out;
    for (;;) {
        float** pcm;
        int section;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0)
            break;
        for (long i = 0; i < n; ++i) {
            out.push_back(pcm[0][i]);
            out.push_back(info->channels > 1 ? pcm[1][i] : pcm[0][i]);
        }
    }
    ov_clear(&vf);
    return out;
}

// Mono 16-bit samples of a WAV file written by the generator.
std::vector<float> readWav(const std::string& name) {
    std::vector<unsigned char> b = readFile(resPath(name));
    std::vector<float> out;
    if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(&b[36], "data", 4) != 0)
        return out;
    for (size_t i = 44; i + 1 < b.size(); i += 2)
        out.push_back(int16_t(uint16_t(b[i] | b[i + 1] << 8)) / 32768.0f);
    return out;
}

// Loudness of successive 10 ms windows.
std::vector<float> envelope(const std::vector<float>& s) {
    const size_t w = 220;
    std::vector<float> env;
    for (size_t at = 0; at + w <= s.size(); at += w) {
        double sum = 0;
        for (size_t i = at; i < at + w; ++i)
            sum += s[i] * s[i];
        env.push_back(float(std::sqrt(sum / w)));
    }
    return env;
}

} // namespace

TEST_F(MixerTest, EffectsAndMusicOpenWithTheGameMixer) {
    for (const char* name : {"gun_pump_action.WAV", "gun_shotgun2.WAV"}) {
        SCOPED_TRACE(name);
        Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(resPath(name).c_str(), "rb"), 1);
        ASSERT_NE(chunk, nullptr) << Mix_GetError();
        // Converted to 16-bit stereo at 22050: at least half a second.
        EXPECT_GT(chunk->alen, Uint32(22050 * 4 / 2));
        Mix_FreeChunk(chunk);
    }
    Mix_Music* music = Mix_LoadMUS(resPath("Ravonel.ogg").c_str());
    ASSERT_NE(music, nullptr) << Mix_GetError();
    EXPECT_EQ(Mix_PlayMusic(music, -1), 0) << Mix_GetError();
    Mix_HaltMusic();
    Mix_FreeMusic(music);
}

TEST(GeneratedSoundTest, MusicIsLongAndLoopsWithoutAClickOrAGap) {
    int rate = 0;
    std::vector<float> s = decodeMusic(&rate);
    ASSERT_EQ(rate, 22050);
    const size_t frames = s.size() / 2;
    EXPECT_GE(frames, size_t(60 * 22050));
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE(c);
        // The jump from the last sample back to the first is no bigger than
        // the steps the music takes anyway.
        std::vector<float> steps;
        for (size_t i = 0; i + 1 < frames; ++i)
            steps.push_back(std::fabs(s[2 * (i + 1) + c] - s[2 * i + c]));
        std::sort(steps.begin(), steps.end());
        float usual = steps[steps.size() * 99 / 100];
        EXPECT_LE(std::fabs(s[size_t(c)] - s[2 * (frames - 1) + c]), usual);
        // No silence either side of the seam: it runs straight on.
        double head = 0, tail = 0;
        const size_t w = 22050 / 10;
        for (size_t i = 0; i < w; ++i) {
            head += s[2 * i + c] * s[2 * i + c];
            tail += s[2 * (frames - 1 - i) + c] * s[2 * (frames - 1 - i) + c];
        }
        EXPECT_GT(std::sqrt(head / w), 0.01);
        EXPECT_GT(std::sqrt(tail / w), 0.01);
    }
    // Background level: well below full scale, never clipping.
    float peak = 0;
    for (float v : s)
        peak = std::max(peak, std::fabs(v));
    EXPECT_LT(peak, 0.7f);
    EXPECT_GT(peak, 0.2f);
}

TEST(GeneratedSoundTest, ShotIsABlastWithATail) {
    std::vector<float> s = readWav("gun_shotgun2.WAV");
    ASSERT_GT(s.size(), 22050u);
    std::vector<float> env = envelope(s);
    size_t loudest = size_t(std::max_element(env.begin(), env.end()) - env.begin());
    EXPECT_LE(loudest, 2u);               // hits at once
    EXPECT_GT(env[30], 0.01f);            // still rolling off at 0.3 s
    EXPECT_LT(env[30], env[loudest] / 4); // but well down
    EXPECT_LT(env.back(), 0.01f);         // and gone at the end
}

TEST(GeneratedSoundTest, PumpIsTwoStrokes) {
    std::vector<float> s = readWav("gun_pump_action.WAV");
    ASSERT_GT(s.size(), 22050u / 2);
    std::vector<float> env = envelope(s);
    float top = *std::max_element(env.begin(), env.end());
    // Count bursts: runs of windows above a third of the loudest.
    int bursts = 0;
    bool in = false;
    size_t quiet = 0, longestQuiet = 0;
    for (float e : env) {
        bool loud = e > top / 3;
        if (loud && !in)
            ++bursts;
        in = loud;
        quiet = loud ? 0 : quiet + 1;
        if (bursts == 1)
            longestQuiet = std::max(longestQuiet, quiet);
    }
    EXPECT_EQ(bursts, 2);
    EXPECT_GE(longestQuiet, 10u); // at least 100 ms between the strokes
}
