#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The game's audio device opened on SDL's disk driver, which writes the
// mixed output to a file that tests read back.
class DiskAudio {
public:
    static constexpr int RATE = 22050;
    // One mixing buffer of the game's device: 4096 frames of 16-bit stereo.
    static constexpr size_t BUFFER_SAMPLES = 4096 * 2;
    static constexpr size_t BUFFER_BYTES = BUFFER_SAMPLES * 2;

    // Opens the device as start-up does, capturing into dir/mixed.raw.
    // Failures are reported as test failures.
    void open(const std::string& dir);
    // Closes the device and restores the environment.
    void close();

    // Where the next buffer will start once the device has written a few:
    // everything from here on is mixed after this call.
    size_t mark();

    // Waits until buffers more buffers have been written after offset.
    void waitBuffers(size_t offset, size_t buffers);

    // Runs action once the device is steady and returns the whole capture
    // after buffers more buffers. first receives the sample where the sound
    // of the action begins: within two buffers, and silence before it back
    // to sample quietSince.
    std::vector<short> listen(const std::function<void()>& action, size_t buffers, size_t* first,
                              size_t quietSince = 0);

    // The capture from offset on, at least buffers buffers of it, when
    // nothing is expected to sound.
    std::vector<short> listenForNothing(const std::function<void()>& action, size_t buffers,
                                        size_t* start);

private:
    std::string capture;
    std::vector<std::optional<std::string>> saved;
};

// Index of the last non-zero sample; npos when all are zero.
size_t lastSound(const std::vector<short>& samples);
