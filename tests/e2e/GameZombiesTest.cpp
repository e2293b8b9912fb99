// A scripted player against the zombies of the real game: it turns to the
// nearest living zombie and holds the trigger, reloads when the clip is
// empty, and walks over the pistol clips the dead leave. Driven only through
// the X server, read only through the trace.

#include "GameFixture.h"
#include "support/GameTrace.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace {

using GameZombiesTest = GameFixture;

// Game time the scripted player is given.
const double PLAY_SECONDS = 180.0;

const TraceThing* nearest(const std::vector<TraceThing>& things, const TraceFrame& f,
                          const char* kind, const char* unless = "") {
    const TraceThing* best = nullptr;
    double bestDistance = 0.0;
    for (const TraceThing& t : things) {
        double d = std::hypot(t.x - f.x, t.z - f.z);
        bool fits = *kind != '\0' ? t.kind == kind : t.kind != unless;
        if (fits && (best == nullptr || d < bestDistance)) {
            best = &t;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace

// At a normal frame rate this takes well under a minute of play; a starved
// machine plays slowly, so the deadline is generous.
TEST_F(GameZombiesTest, AScriptedPlayerScoresThirtyAndPicksUpAClip) {
    xdotool("mousemove 512 384");
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game);
    ASSERT_NE(window, 0ul);
    const GameTrace& trace = *this->trace;
    const double start = trace.frames().front().t;

    xdotool("mousedown 1");
    bool walking = false;
    int pickUps = 0;
    double lowestHealth = 100.0;
    std::optional<TraceFrame> scored;
    size_t seen = 0;
    for (;;) {
        const std::vector<TraceFrame>& frames = trace.frames();
        ASSERT_FALSE(frames.empty());
        // A pistol pick-up shows as one more spare clip than the frame before.
        for (size_t i = std::max<size_t>(seen, 1); i < frames.size(); ++i) {
            pickUps += frames[i].weapon == "Pistol" && frames[i].clips > frames[i - 1].clips;
            lowestHealth = std::min(lowestHealth, frames[i].health);
            if (!scored && frames[i].points >= 30) {
                scored = frames[i];
            }
        }
        seen = frames.size();
        const TraceFrame f = frames.back();
        if (f.t - start > PLAY_SECONDS || (scored && pickUps > 0)) {
            break;
        }
        if (f.rounds == 0 && f.clips > 0) {
            // Let go once the reload has begun, or it would start another.
            const int clips = f.clips;
            holdButtonUntil(3, [&](const TraceFrame& g) { return g.clips < clips; });
        }
        // Fetch a clip while it lies; otherwise face the nearest living zombie.
        const TraceThing* clip = nearest(f.powerups, f, "pistol");
        const TraceThing* target = clip != nullptr ? clip : nearest(f.zombies, f, "", "dying");
        if (walking != (clip != nullptr)) {
            walking = !walking;
            xdotool(walking ? "keydown w" : "keyup w");
        }
        if (target == nullptr) {
            trace.waitFor(f.frame, [](const TraceFrame&) { return true; });
            continue;
        }
        long turn = std::lround(turnTowards(f.heading, f.x, f.z, target->x, target->z));
        if (std::labs(turn) >= 2) {
            xdotool("mousemove_relative -- " + std::to_string(turn) + " 0");
            // One motion event a frame: wait until the game has turned.
            double before = f.heading;
            trace.waitFor(f.frame, [&](const TraceFrame& g) { return g.heading != before; });
        } else {
            trace.waitFor(f.frame, [](const TraceFrame&) { return true; });
        }
    }
    xdotool("mouseup 1");
    if (walking) {
        xdotool("keyup w");
    }
    const TraceFrame last = trace.frames().back();
    ASSERT_TRUE(scored) << "points after " << last.t - start << " s: " << last.points << ", at "
                        << trace.frames().size() / (last.t - start) << " frames a second";
    EXPECT_GE(pickUps, 1) << "no pistol clip picked up";
    EXPECT_GT(lowestHealth, 0.0) << "the figure was not to die here";

    EXPECT_EQ(quitWithEscape(*game, window), 255) << game->out() << game->err();
    EXPECT_EQ(game->err(), "");
}
