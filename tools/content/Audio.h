#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace content {

constexpr int kSampleRate = 22050; // the game mixes at this rate

// 16-bit PCM WAV bytes of one or two channels (interleaved samples in -1..1).
std::vector<uint8_t> wavBytes(const std::vector<float>& samples, int channels, int rate);
// Ogg Vorbis bytes of a stereo signal, variable bit rate at the given quality.
std::vector<uint8_t> oggVorbisBytes(const std::vector<float>& left, const std::vector<float>& right,
                                    int rate, float quality, int serial);

// A second-order filter (the usual cookbook forms).
class Biquad {
public:
    Biquad(float b0_, float b1_, float b2_, float a1_, float a2_)
        : b0(b0_), b1(b1_), b2(b2_), a1(a1_), a2(a2_) {}
    static Biquad lowPass(float freq, float q, int rate = kSampleRate);
    static Biquad highPass(float freq, float q, int rate = kSampleRate);
    static Biquad bandPass(float freq, float q, int rate = kSampleRate);
    float run(float x) {
        float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// Scales so that the largest magnitude becomes peak.
void normalise(std::vector<float>& samples, float peak);
void normalise(std::vector<float>& left, std::vector<float>& right, float peak);

} // namespace content
