// The two weapon sounds, synthesised: noise shaped by filters and envelopes,
// and decaying partials for the metal.

#include "Sounds.h"

#include "Audio.h"
#include "Math.h"
#include "Random.h"

#include <cmath>

namespace content {

namespace {

// A struck piece of metal: a few inharmonic partials with their own decays.
void ring(std::vector<float>& out, float at, float amp, std::initializer_list<float> freqs,
          float decay) {
    int start = int(at * kSampleRate);
    int k = 0;
    for (float f : freqs) {
        float d = decay / (1.0f + 0.4f * k);
        float a = amp / (1.0f + 0.5f * k);
        for (int i = 0; start + i < int(out.size()) && i < int(d * 8 * kSampleRate); ++i) {
            float t = float(i) / kSampleRate;
            out[size_t(start + i)] += a * std::sin(2 * kPi * f * t + k) * std::exp(-t / d);
        }
        ++k;
    }
}

// A burst of filtered noise with a fast attack and exponential decay.
void noiseBurst(std::vector<float>& out, Random& rnd, float at, float length, float amp,
                Biquad filter, float attack, float decay) {
    int start = int(at * kSampleRate), n = int(length * kSampleRate);
    for (int i = 0; i < n && start + i < int(out.size()); ++i) {
        float t = float(i) / kSampleRate;
        float env = std::min(1.0f, t / attack) * std::exp(-t / decay);
        out[size_t(start + i)] += amp * env * filter.run(rnd.range(-1, 1));
    }
}

// Sliding metal: band-passed noise whose centre rises as the slide travels.
void slide(std::vector<float>& out, Random& rnd, float at, float length, float amp) {
    int start = int(at * kSampleRate), n = int(length * kSampleRate);
    Biquad lo = Biquad::bandPass(1800, 2.5f), hi = Biquad::bandPass(4200, 3.0f);
    for (int i = 0; i < n && start + i < int(out.size()); ++i) {
        float t = float(i) / n;
        float env = std::sin(kPi * t) * (0.6f + 0.4f * std::sin(t * 90.0f) * std::sin(t * 37.0f));
        float x = rnd.range(-1, 1);
        out[size_t(start + i)] += amp * env * (0.7f * lo.run(x) + 0.5f * hi.run(x));
    }
}

void fadeOut(std::vector<float>& s, float seconds) {
    int n = std::min(int(s.size()), int(seconds * kSampleRate));
    for (int i = 0; i < n; ++i)
        s[s.size() - 1 - size_t(i)] *= float(i) / n;
}

} // namespace

std::vector<float> makeShotgunBlast() {
    std::vector<float> s(size_t(1.5f * kSampleRate), 0.0f);
    Random rnd(501);
    // The crack: a few milliseconds of raw noise.
    noiseBurst(s, rnd, 0.0f, 0.02f, 1.0f, Biquad::highPass(800, 0.7f), 0.0003f, 0.004f);
    // The blast: noise whose low-pass closes as it dies.
    {
        Biquad f = Biquad::lowPass(5000, 0.9f);
        for (int i = 0; i < int(1.4f * kSampleRate); ++i) {
            float t = float(i) / kSampleRate;
            if (i % 64 == 0)
                f = Biquad::lowPass(300 + 4700 * std::exp(-t / 0.05f), 0.9f);
            float env = std::min(1.0f, t / 0.0008f) *
                        (0.75f * std::exp(-t / 0.045f) + 0.3f * std::exp(-t / 0.22f));
            s[size_t(i)] += 0.9f * env * f.run(rnd.range(-1, 1));
        }
    }
    // The thump felt in the chest: a sine falling in pitch.
    {
        float phase = 0;
        for (int i = 0; i < int(0.5f * kSampleRate); ++i) {
            float t = float(i) / kSampleRate;
            float freq = 42 + 80 * std::exp(-t / 0.03f);
            phase += 2 * kPi * freq / kSampleRate;
            s[size_t(i)] +=
                0.8f * std::min(1.0f, t / 0.002f) * std::exp(-t / 0.11f) * std::sin(phase);
        }
    }
    // The tail: the shot rolling off the surroundings, two slaps and a wash.
    std::vector<float> dry = s;
    for (float delay : {0.17f, 0.36f}) {
        Biquad f = Biquad::lowPass(1400, 0.7f);
        int d = int(delay * kSampleRate);
        float g = delay < 0.2f ? 0.28f : 0.16f;
        for (size_t i = size_t(d); i < s.size(); ++i)
            s[i] += g * f.run(dry[i - size_t(d)]);
    }
    noiseBurst(s, rnd, 0.02f, 1.45f, 0.18f, Biquad::lowPass(700, 0.7f), 0.05f, 0.35f);
    // A soft knee against the peaks, no offset left, then full level.
    Biquad dc = Biquad::highPass(25, 0.7f);
    for (float& v : s)
        v = dc.run(std::tanh(1.6f * v));
    fadeOut(s, 0.1f);
    normalise(s, 0.95f);
    return s;
}

std::vector<float> makePumpAction() {
    std::vector<float> s(size_t(0.8f * kSampleRate), 0.0f);
    Random rnd(511);
    // Back: the catch lets go, the slide runs back and hits its stop.
    noiseBurst(s, rnd, 0.02f, 0.01f, 0.5f, Biquad::highPass(2000, 0.7f), 0.0002f, 0.002f);
    ring(s, 0.02f, 0.18f, {2350, 3900, 5200}, 0.02f);
    slide(s, rnd, 0.03f, 0.11f, 0.45f);
    noiseBurst(s, rnd, 0.14f, 0.02f, 0.9f, Biquad::bandPass(2500, 0.8f), 0.0002f, 0.004f);
    ring(s, 0.14f, 0.4f, {1420, 2610, 3870, 5100}, 0.05f);
    ring(s, 0.14f, 0.25f, {310, 720}, 0.03f);
    // Forward: a shorter run and the hard clack of the bolt closing.
    slide(s, rnd, 0.33f, 0.08f, 0.4f);
    noiseBurst(s, rnd, 0.41f, 0.02f, 1.0f, Biquad::bandPass(2000, 0.7f), 0.0002f, 0.005f);
    ring(s, 0.41f, 0.5f, {980, 2210, 3330, 4610}, 0.06f);
    ring(s, 0.41f, 0.35f, {240, 510}, 0.04f);
    fadeOut(s, 0.05f);
    normalise(s, 0.9f);
    return s;
}

} // namespace content
