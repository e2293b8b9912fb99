#include "app/Demo.h"

#include "app/BestScore.h"
#include "app/CommandLine.h"
#include "app/Controls.h"
#include "app/Round.h"
#include "assets/DemoReader.h"
#include "assets/DemoWriter.h"
#include "core/Random.h"
#include "platform/PerformanceCounter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace demo {

namespace {

enum class Mode { Live, Record, Play, Timedemo };
Mode mode = Mode::Live;
std::string fileName;

// Recording: what was read in the frame so far.
DemoWriter writer;
DemoFrame recorded;

// Playback: the recording, the frame being played and how far into each of
// its kinds of reading the game has got.
DemoReading reading;
size_t frameIndex = 0;
struct Cursor {
    size_t ticks = 0, events = 0, keys = 0, buttons = 0, focus = 0, counter = 0;
};
Cursor cursor;
Uint8 playedKeys[SDLK_LAST];

// Real-time playback waits for the wall clock to catch up with the
// recorded ticks; a timed one measures how long each frame really took.
using Clock = std::chrono::steady_clock;
bool paced = false;
Clock::time_point wallStart;
uint32_t firstTicks = 0;
Clock::time_point frameStart;
std::vector<double> frameSeconds;

const DemoFrame& frame() {
    return reading.frames[frameIndex];
}

[[noreturn]] void outOfStep(const char* what) {
    std::fprintf(stderr,
                 "morrowfen: %s: in frame %zu the game read %s than the recording holds; it "
                 "was made by another build\n",
                 fileName.c_str(), frameIndex + 1, what);
    std::exit(OUT_OF_STEP_STATUS);
}

template <class T> const T& next(const std::vector<T>& readings, size_t& at, const char* what) {
    if (at >= readings.size()) {
        outOfStep(what);
    }
    return readings[at++];
}

int64_t counterReading() {
    if (mode == Mode::Record) {
        const int64_t now = platform::systemPerformanceCounter();
        recorded.counter.push_back(now);
        return now;
    }
    return next(frame().counter, cursor.counter, "more of the performance counter");
}

void writeRecordedFrame() {
    if (!writer.writeFrame(recorded)) {
        std::fprintf(stderr, "morrowfen: %s: %s; the recording stops here\n", fileName.c_str(),
                     writer.error().c_str());
        mode = Mode::Live;
        platform::setPerformanceCounterSource(nullptr);
    }
    recorded = DemoFrame();
}

// Ends the recording at any exit, with the frame in progress: its last
// readings are those that ended the game, so a playback ends the same way.
void finishRecording() {
    if (mode == Mode::Record) {
        writeRecordedFrame();
        writer.finish();
    }
}

void printTimes() {
    std::vector<double> sorted = frameSeconds;
    std::sort(sorted.begin(), sorted.end());
    double total = 0.0;
    for (double s : sorted) {
        total += s;
    }
    const size_t n = sorted.size();
    // The frame time that 99 of a hundred frames take at most.
    const double p99 = n == 0 ? 0.0 : sorted[std::min(n - 1, (n * 99 + 99) / 100 - 1)];
    std::printf("frames: %zu\n", n);
    std::printf("seconds: %.3f\n", total);
    std::printf("average: %.1f frames a second\n", total > 0.0 ? n / total : 0.0);
    std::printf("99th percentile: %.2f ms\n", p99 * 1000.0);
    std::printf("longest: %.2f ms\n", n == 0 ? 0.0 : sorted.back() * 1000.0);
    std::fflush(stdout);
}

// A playback still ends on the player's own Escape or a closed window.
void takeRealQuit() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) {
            std::exit(-1);
        }
    }
    if (SDL_GetKeyState(nullptr)[SDLK_ESCAPE]) {
        std::exit(-1);
    }
}

DemoEvent toDemo(const SDL_Event& e) {
    DemoEvent d;
    switch (e.type) {
    case SDL_ACTIVEEVENT:
        d.type = DemoEvent::ACTIVE;
        d.gain = e.active.gain;
        d.state = e.active.state;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        d.type = e.type == SDL_KEYDOWN ? DemoEvent::KEY_DOWN : DemoEvent::KEY_UP;
        d.state = e.key.state;
        d.scancode = e.key.keysym.scancode;
        d.sym = static_cast<uint16_t>(e.key.keysym.sym);
        d.mod = static_cast<uint16_t>(e.key.keysym.mod);
        d.unicode = e.key.keysym.unicode;
        break;
    case SDL_MOUSEMOTION:
        d.type = DemoEvent::MOTION;
        d.state = e.motion.state;
        d.x = e.motion.x;
        d.y = e.motion.y;
        d.xrel = e.motion.xrel;
        d.yrel = e.motion.yrel;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        d.type = e.type == SDL_MOUSEBUTTONDOWN ? DemoEvent::BUTTON_DOWN : DemoEvent::BUTTON_UP;
        d.button = e.button.button;
        d.state = e.button.state;
        d.x = e.button.x;
        d.y = e.button.y;
        break;
    case SDL_QUIT:
        d.type = DemoEvent::QUIT;
        break;
    case SDL_VIDEORESIZE:
        d.type = DemoEvent::RESIZE;
        d.x = static_cast<uint16_t>(e.resize.w);
        d.y = static_cast<uint16_t>(e.resize.h);
        break;
    default:
        // Nothing in the game acts on the other kinds, nor on an exposure.
        d.type = DemoEvent::EXPOSE;
        break;
    }
    return d;
}

SDL_Event fromDemo(const DemoEvent& d) {
    SDL_Event e{};
    e.type = d.type;
    switch (d.type) {
    case DemoEvent::ACTIVE:
        e.active.gain = d.gain;
        e.active.state = d.state;
        break;
    case DemoEvent::KEY_DOWN:
    case DemoEvent::KEY_UP:
        e.key.state = d.state;
        e.key.keysym.scancode = d.scancode;
        e.key.keysym.sym = static_cast<SDLKey>(d.sym);
        e.key.keysym.mod = static_cast<SDLMod>(d.mod);
        e.key.keysym.unicode = d.unicode;
        break;
    case DemoEvent::MOTION:
        e.motion.state = d.state;
        e.motion.x = d.x;
        e.motion.y = d.y;
        e.motion.xrel = d.xrel;
        e.motion.yrel = d.yrel;
        break;
    case DemoEvent::BUTTON_DOWN:
    case DemoEvent::BUTTON_UP:
        e.button.button = d.button;
        e.button.state = d.state;
        e.button.x = d.x;
        e.button.y = d.y;
        break;
    case DemoEvent::RESIZE:
        e.resize.w = d.x;
        e.resize.h = d.y;
        break;
    default:
        break;
    }
    return e;
}

void startPlayback(const std::string& path, bool timed) {
    reading = readDemoFile(path, MORROWFEN_VERSION);
    if (!reading.ok) {
        std::fprintf(stderr, "morrowfen: %s: %s\n", path.c_str(), reading.error.c_str());
        std::exit(REFUSED_STATUS);
    }
    if (reading.frames.empty()) {
        std::fprintf(stderr, "morrowfen: %s: the recording holds no whole frame\n", path.c_str());
        std::exit(REFUSED_STATUS);
    }
    if (reading.cutShort) {
        std::fprintf(stderr,
                     "morrowfen: %s: the recording is cut short; playing its %zu whole frames\n",
                     path.c_str(), reading.frames.size());
    }
    mode = timed ? Mode::Timedemo : Mode::Play;
    paced = !timed;
    turnSensitivity = reading.start.sensitivity;
    Random::seed(reading.start.randomState);
    bestScore().keepNothing(reading.start.bestScore);
    // The real pointer is the watcher's, not the recorded player's.
    mouseGrabAllowed = false;
    platform::setPerformanceCounterSource(counterReading);
}

void startRecording(const std::string& path, float sensitivity) {
    bestScore().load();
    DemoStart start;
    start.sensitivity = sensitivity;
    start.randomState = Random::state();
    start.bestScore = bestScore().get();
    if (!writer.open(path, MORROWFEN_VERSION, start)) {
        std::fprintf(stderr, "morrowfen: %s: %s\n", path.c_str(), writer.error().c_str());
        std::exit(REFUSED_STATUS);
    }
    mode = Mode::Record;
    platform::setPerformanceCounterSource(counterReading);
    std::atexit(finishRecording);
}

} // namespace

void begin(const CommandLine& options) {
    fileName = options.demoFile;
    switch (options.demo) {
    case CommandLine::Demo::None:
        bestScore().load();
        break;
    case CommandLine::Demo::Record:
        startRecording(options.demoFile, options.sensitivity);
        break;
    case CommandLine::Demo::Play:
        startPlayback(options.demoFile, false);
        break;
    case CommandLine::Demo::Time:
        startPlayback(options.demoFile, true);
        break;
    }
}

bool playingBack() {
    return mode == Mode::Play || mode == Mode::Timedemo;
}

Uint32 ticks() {
    if (mode == Mode::Live || mode == Mode::Record) {
        const Uint32 now = SDL_GetTicks();
        if (mode == Mode::Record) {
            recorded.ticks.push_back(now);
        }
        return now;
    }
    const Uint32 now = next(frame().ticks, cursor.ticks, "more of the clock");
    if (frameIndex == 0 && cursor.ticks == 1) {
        frameStart = Clock::now();
    }
    if (paced) {
        // Each reading comes when it came in the recording.
        if (frameIndex == 0 && cursor.ticks == 1) {
            wallStart = Clock::now();
            firstTicks = now;
        }
        std::this_thread::sleep_until(wallStart + std::chrono::milliseconds(now - firstTicks));
    }
    return now;
}

bool pollEvent(SDL_Event* event) {
    if (mode == Mode::Live || mode == Mode::Record) {
        const bool got = SDL_PollEvent(event) != 0;
        if (mode == Mode::Record) {
            recorded.events.push_back(got ? toDemo(*event) : DemoEvent());
        }
        return got;
    }
    const DemoEvent& played = next(frame().events, cursor.events, "more events");
    if (played.type == DemoEvent::NONE) {
        return false;
    }
    *event = fromDemo(played);
    return true;
}

const Uint8* keyState() {
    if (mode == Mode::Live || mode == Mode::Record) {
        int count = 0;
        const Uint8* keys = SDL_GetKeyState(&count);
        static Uint8 live[SDLK_LAST];
        for (int k = 0; k < SDLK_LAST; ++k) {
            live[k] = k < count ? keys[k] : 0;
        }
        if (mode == Mode::Record) {
            std::vector<uint16_t> down;
            for (int k = 0; k < SDLK_LAST; ++k) {
                if (live[k] != 0) {
                    down.push_back(static_cast<uint16_t>(k));
                }
            }
            recorded.keys.push_back(std::move(down));
        }
        return live;
    }
    std::fill(std::begin(playedKeys), std::end(playedKeys), 0);
    for (uint16_t k : next(frame().keys, cursor.keys, "more held keys")) {
        playedKeys[k] = 1;
    }
    return playedKeys;
}

Uint8 mouseButtons() {
    if (mode == Mode::Live || mode == Mode::Record) {
        const Uint8 buttons = SDL_GetMouseState(nullptr, nullptr);
        if (mode == Mode::Record) {
            recorded.buttons.push_back(buttons);
        }
        return buttons;
    }
    return next(frame().buttons, cursor.buttons, "more held buttons");
}

Uint8 appState() {
    if (mode == Mode::Live || mode == Mode::Record) {
        const Uint8 state = SDL_GetAppState();
        if (mode == Mode::Record) {
            recorded.focus.push_back(state);
        }
        return state;
    }
    return next(frame().focus, cursor.focus, "more of the window's focus");
}

bool endFrame() {
    switch (mode) {
    case Mode::Live:
        return true;
    case Mode::Record:
        writeRecordedFrame();
        return true;
    case Mode::Play:
    case Mode::Timedemo:
        break;
    }
    const DemoFrame& played = frame();
    if (cursor.ticks < played.ticks.size() || cursor.events < played.events.size() ||
        cursor.keys < played.keys.size() || cursor.buttons < played.buttons.size() ||
        cursor.focus < played.focus.size() || cursor.counter < played.counter.size()) {
        outOfStep("less");
    }
    if (mode == Mode::Timedemo) {
        const Clock::time_point now = Clock::now();
        frameSeconds.push_back(std::chrono::duration<double>(now - frameStart).count());
        frameStart = now;
    }
    takeRealQuit();
    frameIndex += 1;
    cursor = Cursor();
    // A recording that ended by the player's hand has ended inside its last
    // frame already; one that gets here was cut short.
    return frameIndex < reading.frames.size();
}

size_t framesLeft() {
    return playingBack() ? reading.frames.size() - frameIndex : 0;
}

void finish() {
    if (mode == Mode::Timedemo) {
        printTimes();
    }
    std::exit(0);
}

void quit() {
    if (mode == Mode::Timedemo) {
        frameSeconds.push_back(std::chrono::duration<double>(Clock::now() - frameStart).count());
        printTimes();
        std::exit(0);
    }
    std::exit(-1);
}

} // namespace demo
