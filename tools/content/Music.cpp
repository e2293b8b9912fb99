// "Ravonel", the background track: D minor, 90 beats a minute, 24 bars
// (64 s). A drone and a heartbeat under slow minor chords; a bell motif and
// ticking join in the second section, tremolo strings in the third, and a
// swell leads back to the start.
//
// The loop is seamless by construction: every continuous oscillator has a
// whole number of cycles in the loop, and the loop is rendered twice through
// the filters and the reverb, keeping the second pass, so that its start
// already carries the tails of its own end.

#include "Audio.h"
#include "Math.h"
#include "Random.h"
#include "Sounds.h"

#include <cmath>
#include <cstdint>
#include <functional>

namespace content {

namespace {

constexpr int kBeat = kSampleRate * 60 / 90; // 14700 samples
constexpr int kBar = 4 * kBeat;
constexpr int kBars = 24;
constexpr int kLoop = kBars * kBar;
constexpr int kPasses = 2; // the loop rendered this often; the last pass is kept

float midiHz(float note) {
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

// A frequency with a whole number of cycles per loop, so that it repeats
// exactly; the change is under a hundredth of a hertz.
double loopHz(double hz) {
    double cyclesPerLoop = std::round(hz * kLoop / kSampleRate);
    return cyclesPerLoop * kSampleRate / kLoop;
}

// One period of a band-limited saw-like wave, darker as rolloff grows.
class Wavetable {
public:
    Wavetable(int harmonics, float rolloff) : table(kSize + 1) {
        for (int i = 0; i <= kSize; ++i) {
            double ph = 2 * 3.141592653589793 * i / kSize, v = 0;
            for (int h = 1; h <= harmonics; ++h)
                v += std::sin(h * ph) / h * std::exp(-rolloff * (h - 1));
            table[size_t(i)] = float(v);
        }
        float m = 0;
        for (float v : table)
            m = std::max(m, std::fabs(v));
        for (float& v : table)
            v /= m;
    }
    // phase in cycles, any size.
    float at(double phase) const {
        double p = (phase - std::floor(phase)) * kSize;
        int i = int(p);
        float f = float(p - i);
        return table[size_t(i)] + f * (table[size_t(i + 1)] - table[size_t(i)]);
    }

private:
    static constexpr int kSize = 4096;
    std::vector<float> table;
};

struct Bus {
    std::vector<float> l, r;
    explicit Bus(size_t n) : l(n, 0.0f), r(n, 0.0f) {}
    void add(size_t i, float v, float pan) {
        if (i >= l.size())
            return;
        l[i] += v * std::sqrt(0.5f * (1 - pan));
        r[i] += v * std::sqrt(0.5f * (1 + pan));
    }
};

// A note of the loop, placed in both passes.
void place(int start, int length, const std::function<void(size_t index, int t)>& write) {
    for (int pass = 0; pass < kPasses; ++pass) {
        size_t base = size_t(pass) * kLoop + size_t(start);
        for (int t = 0; t < length; ++t)
            write(base + size_t(t), t);
    }
}

float envelope(int t, int length, float attack, float release) {
    float s = float(t) / kSampleRate, end = float(length) / kSampleRate;
    float a = std::min(1.0f, s / attack);
    float r = s < end - release ? 1.0f : std::max(0.0f, (end - s) / release);
    return a * r;
}

// Freeverb-style room: parallel damped combs, then allpasses.
class Reverb {
public:
    Reverb(int spread) {
        for (int n : {558, 594, 638, 678, 712, 750})
            combs.push_back(Line(n + spread));
        for (int n : {278, 220, 170})
            passes.push_back(Line(n + spread));
    }
    float run(float x) {
        float out = 0;
        for (Line& c : combs) {
            float y = c.buf[c.pos];
            c.store = y * 0.75f + c.store * 0.25f; // damping
            c.buf[c.pos] = x + c.store * 0.86f;
            c.pos = (c.pos + 1) % c.buf.size();
            out += y;
        }
        out *= 0.15f;
        for (Line& a : passes) {
            float b = a.buf[a.pos];
            a.buf[a.pos] = out + b * 0.5f;
            a.pos = (a.pos + 1) % a.buf.size();
            out = b - out;
        }
        return out;
    }

private:
    struct Line {
        std::vector<float> buf;
        size_t pos = 0;
        float store = 0;
        explicit Line(int n) : buf(size_t(n), 0.0f) {}
    };
    std::vector<Line> combs, passes;
};

} // namespace

void makeMusic(std::vector<float>& left, std::vector<float>& right) {
    const size_t total = size_t(kPasses) * kLoop;
    Bus dry(total), send(total), echo(total);
    const Wavetable saw(40, 0.02f), soft(12, 0.25f), hollow(20, 0.12f);

    // Drone: D1 and D2 with a fifth, each side a hair apart; its brightness
    // breathes over a quarter of the loop.
    {
        const double d1 = loopHz(midiHz(26)), d1r = loopHz(midiHz(26) + 0.09f);
        const double d2 = loopHz(midiHz(38)), a1 = loopHz(midiHz(33));
        for (size_t i = 0; i < total; ++i) {
            int64_t n = int64_t(i % kLoop);
            double t = double(n) / kSampleRate;
            float breathe = 0.5f + 0.5f * float(std::sin(2 * 3.141592653589793 * n / (kLoop / 4)));
            float swell =
                0.75f + 0.25f * float(std::sin(2 * 3.141592653589793 * n / (kLoop / 2) + 1.0));
            float l = soft.at(d1 * t) * (0.6f + 0.3f * breathe) +
                      hollow.at(d2 * t) * 0.25f * breathe + soft.at(a1 * t) * 0.12f;
            float r = soft.at(d1r * t) * (0.6f + 0.3f * breathe) +
                      hollow.at(d2 * t + 0.25) * 0.25f * breathe + soft.at(a1 * t + 0.5) * 0.12f;
            dry.l[i] += 0.12f * swell * l;
            dry.r[i] += 0.12f * swell * r;
            send.l[i] += 0.05f * l;
            send.r[i] += 0.05f * r;
        }
    }

    // Chords, two bars each, with a bass under them.
    struct Chord {
        float bass;
        std::vector<float> notes;
    };
    const Chord partA[4] = {
        {38, {50, 53, 57}}, {34, {46, 50, 53}}, {31, {43, 46, 50}}, {33, {45, 49, 52}}};
    const Chord partC[4] = {
        {38, {50, 53, 57, 62}}, {39, {51, 55, 58}}, {38, {50, 53, 57}}, {33, {45, 49, 52, 58}}};
    for (int bar = 0; bar < kBars; bar += 2) {
        const Chord& c = (bar >= 16 ? partC : partA)[(bar / 2) % 4];
        int start = bar * kBar, length = 2 * kBar + kBeat; // held a beat into the next
        float level = bar < 8 ? 0.08f : 0.09f;
        int k = 0;
        for (float note : c.notes) {
            double f = midiHz(note);
            float pan = -0.5f + float(k) / std::max<size_t>(1, c.notes.size() - 1);
            float lp = 0, cutoff = 0.12f;
            place(start, length, [&, f, pan](size_t i, int t) {
                if (t == 0)
                    lp = 0;
                double s = double(t) / kSampleRate;
                float x = saw.at(f * s) + saw.at(f * 1.004 * s + 0.3) + saw.at(f * 0.996 * s + 0.6);
                lp += cutoff * (x - lp);
                float v = level * envelope(t, length, 1.6f, 1.8f) * lp;
                dry.add(i, v, pan);
                send.add(i, v * 0.8f, -pan);
            });
            ++k;
        }
        double fb = midiHz(c.bass);
        place(start, 2 * kBar, [&, fb](size_t i, int t) {
            double s = double(t) / kSampleRate;
            float v = 0.16f * envelope(t, 2 * kBar, 0.3f, 0.6f) *
                      float(std::sin(2 * 3.141592653589793 * fb * s) + 0.3 * soft.at(fb * s));
            dry.add(i, v, 0);
        });
    }

    // Heartbeat: a low double thud on the first beat, and the third from bar 9.
    auto heartbeat = [&](int at, float amp) {
        int length = kSampleRate / 2;
        place(at, length, [&, amp](size_t i, int t) {
            float s = float(t) / kSampleRate;
            float f = 44 + 60 * std::exp(-s / 0.025f);
            float ph = 2 * kPi * (44 * s + 60 * 0.025f * (1 - std::exp(-s / 0.025f)));
            (void)f;
            float v = amp * std::min(1.0f, s / 0.003f) * std::exp(-s / 0.16f) * std::sin(ph);
            dry.add(i, v, 0);
            send.add(i, 0.2f * v, 0);
        });
    };
    for (int bar = 0; bar < kBars; ++bar) {
        for (int beat : {0, 2}) {
            if (beat == 2 && bar < 8)
                continue;
            int at = bar * kBar + beat * kBeat;
            heartbeat(at, 0.55f);
            heartbeat(at + int(0.21f * kSampleRate), 0.38f);
        }
    }

    // A deep boom opening each section.
    for (int bar : {0, 8, 16}) {
        int length = 3 * kSampleRate;
        place(bar * kBar, length, [&](size_t i, int t) {
            float s = float(t) / kSampleRate;
            float ph = 2 * kPi * (32 * s + 40 * 0.08f * (1 - std::exp(-s / 0.08f)));
            float v = 0.5f * std::min(1.0f, s / 0.004f) * std::exp(-s / 0.7f) * std::sin(ph);
            dry.add(i, v, 0);
            send.add(i, 0.6f * v, 0);
        });
    }

    // Ticking from the second section: short noise ticks on the eighths,
    // the off-beats stronger, like a clock that will not stop.
    for (int bar = 0; bar < kBars; ++bar) {
        for (int e = 0; e < 8; ++e) {
            if (bar < 8 && e % 2 == 0)
                continue; // the first section ticks only off the beat
            float amp = ((e % 2) ? 0.05f : 0.025f) * (bar < 8 ? 0.6f : 1.0f);
            int at = bar * kBar + e * kBeat / 2;
            int length = kSampleRate / 20;
            uint32_t seed = uint32_t(bar * 8 + e);
            Biquad hp = Biquad::highPass(6000, 0.7f);
            place(at, length, [&, amp, seed, hp](size_t i, int t) mutable {
                if (t == 0)
                    hp = Biquad::highPass(6000, 0.7f);
                float s = float(t) / kSampleRate;
                float x = hashUnit(t, int(seed), 611u) * 2 - 1;
                float v = amp * std::exp(-s / 0.012f) * hp.run(x);
                dry.add(i, v, -0.4f);
                send.add(i, 0.5f * v, 0.4f);
            });
        }
    }

    // The bell motif, with a dotted-eighth echo.
    struct Hit {
        float beat, note;
    };
    const std::vector<Hit> motifB[2] = {{{0, 74}, {1.5f, 69}, {2.5f, 77}},
                                        {{0, 76}, {1, 74}, {3, 73}}};
    const std::vector<Hit> motifC[2] = {{{0, 81}, {1.5f, 77}, {2.5f, 74}},
                                        {{0, 75}, {1, 74}, {3, 73}}};
    for (int bar = 0; bar < kBars; ++bar) {
        const std::vector<Hit>& m = (bar >= 16 ? motifC : motifB)[bar % 2];
        for (const Hit& h : m) {
            // The first section only hints at the motif: its first note,
            // every other bar.
            if (bar < 8 && (bar % 2 || &h != &m[0]))
                continue;
            int at = bar * kBar + int(h.beat * kBeat);
            double f = midiHz(h.note);
            int length = 3 * kSampleRate;
            place(at, length, [&, f](size_t i, int t) {
                double s = double(t) / kSampleRate;
                float index = 0.6f + 3.0f * float(std::exp(-s / 0.15));
                float mod = index * float(std::sin(2 * 3.141592653589793 * 3.5 * f * s));
                float v = 0.09f * float(std::exp(-s / 1.1)) * std::min(1.0f, float(s) / 0.002f) *
                          float(std::sin(2 * 3.141592653589793 * f * s + mod));
                dry.add(i, v, 0.3f);
                echo.add(i, v, 0.3f);
                send.add(i, 0.6f * v, 0);
            });
        }
    }

    // Tremolo strings in the last section: a creeping chromatic line.
    const float line[4] = {69, 70, 69, 68};
    for (int bar = 16; bar < kBars; bar += 2) {
        double f = midiHz(line[(bar - 16) / 2]);
        int length = 2 * kBar;
        float lp = 0;
        place(bar * kBar, length, [&, f](size_t i, int t) {
            if (t == 0)
                lp = 0;
            double s = double(t) / kSampleRate;
            float vib = 0.003f * float(std::sin(2 * 3.141592653589793 * 5.5 * s));
            float x = saw.at(f * (1 + vib) * s) + saw.at(f * 1.006 * s + 0.4);
            lp += 0.25f * (x - lp);
            // Bowed sixteenths.
            float bow = 0.55f + 0.45f * float(std::sin(2 * 3.141592653589793 * s * 6.0));
            float v = 0.05f * envelope(t, length, 0.8f, 0.5f) * bow * lp;
            dry.add(i, v, 0.45f);
            send.add(i, v, -0.45f);
        });
    }

    // The swell back into the start: noise rising through the last two bars,
    // gone a little before the downbeat so that the loop's first thud lands
    // clean.
    {
        int start = (kBars - 2) * kBar, length = 2 * kBar;
        Biquad bp = Biquad::bandPass(1500, 0.8f);
        place(start, length, [&](size_t i, int t) mutable {
            if (t == 0)
                bp = Biquad::bandPass(1500, 0.8f);
            float s = float(t) / length;
            float fade = std::min(1.0f, float(length - t) / (0.04f * kSampleRate));
            // Noise from the position in the loop, the same in every pass.
            float v = 0.12f * s * s * s * fade * bp.run(hashUnit(t, 0, 613u) * 2 - 1);
            dry.add(i, v, std::sin(s * 20.0f) * 0.6f);
            send.add(i, v, 0);
        });
    }

    // Echo (ping-pong, dotted eighth) into the reverb send and the mix.
    {
        const size_t d = size_t(kBeat * 3 / 4);
        for (size_t i = d; i < total; ++i) {
            echo.l[i] += 0.4f * echo.r[i - d];
            echo.r[i] += 0.4f * echo.l[i - d];
        }
        for (size_t i = 0; i + d < total; ++i) {
            dry.l[i + d] += 0.35f * echo.r[i];
            dry.r[i + d] += 0.35f * echo.l[i];
            send.l[i + d] += 0.3f * echo.r[i];
            send.r[i + d] += 0.3f * echo.l[i];
        }
    }

    Reverb roomL(0), roomR(11);
    left.assign(kLoop, 0.0f);
    right.assign(kLoop, 0.0f);
    for (size_t i = 0; i < total; ++i) {
        float wl = roomL.run(send.l[i] + send.r[i] * 0.3f);
        float wr = roomR.run(send.r[i] + send.l[i] * 0.3f);
        if (i >= total - kLoop) {
            size_t k = i - (total - kLoop);
            left[k] = std::tanh(1.2f * (dry.l[i] + 0.5f * wl)) / 1.2f;
            right[k] = std::tanh(1.2f * (dry.r[i] + 0.5f * wr)) / 1.2f;
        }
    }
    // Kept well under the weapons, which play at full level over it.
    normalise(left, right, 0.45f);
}

} // namespace content
