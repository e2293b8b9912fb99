#include "support/DiskAudio.h"

#include "support/SoundFiles.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const int WAIT_MS = 20000;
const char* const VARIABLES[] = {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIODELAY"};

} // namespace

void DiskAudio::open(const std::string& dir) {
    capture = dir + "/mixed.raw";
    for (const char* name : VARIABLES) {
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
}

void DiskAudio::close() {
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    for (size_t i = 0; i < saved.size(); ++i) {
        if (saved[i]) {
            setenv(VARIABLES[i], saved[i]->c_str(), 1);
        } else {
            unsetenv(VARIABLES[i]);
        }
    }
    saved.clear();
}

size_t DiskAudio::mark() {
    size_t now = fileSize(capture);
    EXPECT_TRUE(waitForFileSize(capture, now + 2 * BUFFER_BYTES, WAIT_MS));
    return fileSize(capture) / BUFFER_BYTES * BUFFER_BYTES;
}

void DiskAudio::waitBuffers(size_t offset, size_t buffers) {
    ASSERT_TRUE(waitForFileSize(capture, offset + buffers * BUFFER_BYTES, WAIT_MS))
        << "the disk driver wrote only " << fileSize(capture) << " bytes";
}

std::vector<short> DiskAudio::listen(const std::function<void()>& action, size_t buffers,
                                     size_t* first, size_t quietSince) {
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

std::vector<short> DiskAudio::listenForNothing(const std::function<void()>& action, size_t buffers,
                                               size_t* start) {
    *start = mark();
    action();
    waitBuffers(*start, buffers);
    return readCapture(capture, *start + buffers * BUFFER_BYTES);
}

size_t lastSound(const std::vector<short>& s) {
    for (size_t i = s.size(); i > 0; --i) {
        if (s[i - 1] != 0) {
            return i - 1;
        }
    }
    return std::string::npos;
}
