// One round of real play, driven only through the X server as a person
// would, and read back through the game's trace.

#include "GameFixture.h"
#include "support/GameTrace.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

using GamePlayTest = GameFixture;

// Pure yellow, as only a shot in flight is drawn, near the middle column.
int yellowShots(const WindowPixels& pixels) {
    int n = 0;
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 448; x < 576; ++x) {
            n += pixels.at(x, y) == 0xFFFF00;
        }
    }
    return n;
}

const int WAIT = 30000;

} // namespace

TEST_F(GamePlayTest, WalkTurnFireReloadSwitchAndToggleWireframe) {
    // The game measures the pointer from where it enters the window.
    xdotool("mousemove 512 384");
    std::string dir = makeScratchDir("gameplay");
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game, {{"MORROWFEN_TRACE", dir + "/trace.jsonl"}});
    ASSERT_NE(window, 0ul);
    const GameTrace& trace = *this->trace;
    auto first = trace.frames().front();
    ASSERT_TRUE(first.hasPlayer) << first.line;
    // The start: behind the figure at (0, -30), facing -z.
    EXPECT_EQ(first.x, 0.0);
    EXPECT_EQ(first.z, -30.0);
    EXPECT_EQ(first.heading, 0.0) << first.line;
    EXPECT_EQ(first.cameraZ, 60.0);
    EXPECT_EQ(first.pitch, 35.0);
    EXPECT_EQ(first.weapon, "Pistol");
    EXPECT_EQ(first.rounds, 12);
    EXPECT_EQ(first.clips, 3);

    // W for a second: about 70 units towards -z, the camera 90 behind. The
    // key is down for a second and a bit, however slowly xdotool starts; the
    // frames that see it move by their frame times, give or take a frame at
    // either end.
    long mark = trace.now();
    auto beforeDown = std::chrono::steady_clock::now();
    xdotool("keydown w");
    auto down = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(1)); // the length of the walk
    auto beforeUp = std::chrono::steady_clock::now();
    xdotool("keyup w");
    auto up = std::chrono::steady_clock::now();
    auto seconds = [](auto a, auto b) { return std::chrono::duration<double>(b - a).count(); };
    auto moved = trace.waitFor(mark, [](const TraceFrame& f) { return f.z < -30.0; });
    ASSERT_TRUE(moved);
    double previousZ = moved->z;
    auto stopped = trace.waitFor(moved->frame, [&](const TraceFrame& f) {
        bool still = f.z == previousZ;
        previousZ = f.z;
        return still;
    });
    ASSERT_TRUE(stopped);
    double walked = -30.0 - stopped->z;
    double longest = 0.0;
    for (const TraceFrame& f : trace.frames()) {
        if (f.frame > mark && f.frame <= stopped->frame) {
            longest = std::max(longest, f.dt);
        }
    }
    EXPECT_GE(walked, 70.0 * (seconds(down, beforeUp) - 2 * longest) - 0.5) << stopped->line;
    EXPECT_LE(walked, 70.0 * (seconds(beforeDown, up) + 2 * longest) + 0.5) << stopped->line;
    EXPECT_NEAR(stopped->x, 0.0, 1e-3);
    EXPECT_NEAR(stopped->cameraZ, stopped->z + 90.0, 1e-3);

    // 90 pixels to the right: a quarter turn, and the camera swings round.
    mark = trace.now();
    xdotool("mousemove_relative -- 90 0");
    auto turned = trace.waitFor(mark, [](const TraceFrame& f) { return f.heading != 0.0; });
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->heading, 90.0);
    EXPECT_EQ(turned->yaw, 90.0);
    EXPECT_NEAR(turned->cameraX, turned->x - 90.0, 1e-3);

    // The left button held: one round every 0.3 s of game time, and the
    // shots fly off as yellow columns. A slow machine may need more than one
    // clip before a look at the window catches a shot in flight.
    mark = trace.now();
    xdotool("mousedown 1");
    auto emptied = trace.waitFor(mark, [](const TraceFrame& f) { return f.rounds <= 7; });
    ASSERT_TRUE(emptied);
    int yellow = 0;
    std::optional<WindowPixels> shot;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(WAIT);
    // A grab may catch a shot only just leaving the screen: look again.
    while (yellow <= 10 && std::chrono::steady_clock::now() < deadline) {
        shot = grabWindow(window);
        ASSERT_TRUE(shot);
        yellow = yellowShots(*shot);
        const TraceFrame& now = trace.frames().back();
        if (yellow <= 10 && now.rounds == 0 && now.clips > 0) {
            const int clips = now.clips;
            holdButtonUntil(3, [&](const TraceFrame& f) { return f.clips < clips; });
        }
    }
    xdotool("mouseup 1");
    // A bullet covers 1200 units a second and leaves the top of the view
    // about 180 units ahead of the figure: below about 7 frames a second no
    // frame ever shows one.
    EXPECT_GT(yellow, 10) << "no shot seen in flight; the last frame took "
                          << trace.frames().back().dt << " s";
    if (shot) {
        // Kept for people to look at.
        std::string ppm =
            "P6\n" + std::to_string(shot->width) + " " + std::to_string(shot->height) + "\n255\n";
        for (unsigned long p : shot->rgb) {
            ppm += static_cast<char>(p >> 16);
            ppm += static_cast<char>(p >> 8);
            ppm += static_cast<char>(p);
        }
        writeFile(dir + "/firing.ppm", ppm);
    }
    // Game time from one shot to the next: the frame times from the shot's
    // own frame up to the next shot's, whose last one ran the pause out.
    double since = 0.0, lastFrame = 0.0;
    int lastRounds = 12;
    for (const TraceFrame& f : trace.frames()) {
        if (f.frame > emptied->frame) {
            break;
        }
        if (f.rounds < lastRounds) {
            EXPECT_EQ(f.rounds, lastRounds - 1) << f.line;
            if (lastRounds < 12) {
                EXPECT_GE(since, 0.3 - 1e-4) << f.line;
                EXPECT_LT(since - lastFrame, 0.3 + 1e-4) << f.line;
            }
            lastRounds = f.rounds;
            since = 0.0;
        }
        since += f.dt;
        lastFrame = f.dt;
    }

    // The right button: one clip fewer and a full clip again. The look above
    // may have ended just as a reload filled the clip: fire from it first.
    auto held = holdButtonUntil(1, [](const TraceFrame& f) { return f.rounds < 12; });
    ASSERT_TRUE(held);
    mark = held->frame;
    ASSERT_TRUE(holdButtonUntil(3, [&](const TraceFrame& f) { return f.clips < held->clips; }));
    auto reloaded = trace.waitFor(mark, [](const TraceFrame& f) { return f.rounds == 12; });
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(reloaded->clips, held->clips - 1);

    // A wheel step up takes the shotgun.
    mark = trace.now();
    xdotool("click 4");
    auto shotgun = trace.waitFor(mark, [](const TraceFrame& f) { return f.weapon == "Shotgun"; });
    ASSERT_TRUE(shotgun);
    EXPECT_EQ(shotgun->rounds, 6);

    // Ten presses of F3, each held until the game has seen it and then for
    // a few frames more: ten toggles, not one a frame.
    long from = trace.now();
    for (int i = 0; i < 10; ++i) {
        const bool before = trace.frames().back().wireframe;
        long mark = trace.now();
        xdotool("keydown F3");
        auto seen = trace.waitFor(mark, [&](const TraceFrame& f) { return f.wireframe != before; });
        ASSERT_TRUE(seen);
        ASSERT_TRUE(trace.waitFor(seen->frame + 3, [](const TraceFrame&) { return true; }));
        xdotool("keyup F3");
        // Let the game see the key up before the next press.
        long released = trace.now();
        ASSERT_TRUE(trace.waitFor(released + 1, [](const TraceFrame&) { return true; }));
    }
    int toggles = 0;
    bool last = false;
    for (const TraceFrame& f : trace.frames()) {
        if (f.frame >= from && f.wireframe != last) {
            ++toggles;
        }
        last = f.wireframe;
    }
    EXPECT_EQ(toggles, 10);
    EXPECT_FALSE(trace.frames().back().wireframe);

    EXPECT_EQ(quitWithEscape(*game, window), 255) << game->out() << game->err();
    EXPECT_EQ(game->err(), "");
}
