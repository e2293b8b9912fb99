// Rounds as a player meets them in the real game, driven only through the X
// server and read through the trace: zombies that strike down a survivor who
// stands still, a fresh round after a click, a pause, and a game stopped for
// a while that does not jump when it goes on.

#include "GameFixture.h"
#include "support/GameTrace.h"
#include "support/X11Window.h"

#include <signal.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

using GameRoundTest = GameFixture;

// Standing still with four grave stones about, a survivor lasts well under a
// minute of play; a starved machine plays slowly.
const int ROUND_DEADLINE = 600000;

bool hasShots(const TraceFrame& f) {
    return f.objects.find("Projectile") != std::string::npos;
}

// The world as it stands: where the survivor and every zombie are.
std::vector<double> world(const TraceFrame& f) {
    std::vector<double> at = {f.x, f.z, f.heading};
    for (const TraceThing& z : f.zombies) {
        at.push_back(z.x);
        at.push_back(z.z);
    }
    return at;
}

} // namespace

TEST_F(GameRoundTest, StandingStillTheSurvivorIsStruckDownAndAClickStartsAFreshRound) {
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startWithFocus(game);
    ASSERT_NE(window, 0ul);
    const GameTrace& trace = *this->trace;

    // It stands where it started. Near the end it turns to the zombies about
    // it and fires, so that the round ends with a spray on the field.
    bool firing = false;
    double health = 100.0;
    int blows = 0;
    size_t seen = 0;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ROUND_DEADLINE);
    std::optional<TraceFrame> over;
    while (!over && std::chrono::steady_clock::now() < deadline) {
        const std::vector<TraceFrame>& frames = trace.frames();
        for (; seen < frames.size(); ++seen) {
            const TraceFrame& f = frames[seen];
            const double lost = health - f.health;
            ASSERT_GE(lost, 0.0) << f.line;
            ASSERT_EQ(std::fmod(lost, 6.0), 0.0) << "blows of 6 only: " << f.line;
            blows += static_cast<int>(lost / 6.0);
            health = f.health;
            ASSERT_EQ(f.round, 1) << f.line;
            if (f.state == "over") {
                over = f;
                break;
            }
        }
        if (over) {
            break;
        }
        const TraceFrame f = frames.back();
        ASSERT_NEAR(f.x, 0.0, 40.0) << "pushed about, but it stands: " << f.line;
        if (health <= 70.0 && !firing) {
            xdotool("mousedown 1");
            firing = true;
        }
        // The nearest living zombie: one in touch stands still to strike.
        const TraceThing* target = nullptr;
        double nearest = 0.0;
        for (const TraceThing& z : f.zombies) {
            const double d = std::hypot(z.x - f.x, z.z - f.z);
            if (z.kind != "dying" && (target == nullptr || d < nearest)) {
                target = &z;
                nearest = d;
            }
        }
        if (firing && target != nullptr) {
            long turn = std::lround(turnTowards(f.heading, f.x, f.z, target->x, target->z));
            if (std::labs(turn) >= 2) {
                xdotool("mousemove_relative -- " + std::to_string(turn) + " 0");
            }
        }
        trace.waitFor(f.frame, [](const TraceFrame&) { return true; });
    }
    if (firing) {
        xdotool("mouseup 1");
    }
    ASSERT_TRUE(over) << "the survivor still stands with " << health << " health";
    EXPECT_GE(blows, 17) << "100 health takes 17 blows of 6";
    EXPECT_LE(over->health, 0.0);
    EXPECT_GT(over->particles, 0) << "the last shots left no spray: " << over->line;

    // The click that starts the next round is held a while: it does not fire.
    auto next = holdButtonUntil(1, [](const TraceFrame& g) { return g.round == 2; });
    ASSERT_TRUE(next) << "no new round after a click";
    EXPECT_EQ(next->state, "playing");
    EXPECT_EQ(next->health, 100.0);
    EXPECT_EQ(next->rounds, 12);
    EXPECT_EQ(next->points, 0);
    EXPECT_EQ(next->particles, 0) << "the last round's spray is still about";
    auto later =
        trace.waitFor(next->frame, [&](const TraceFrame& g) { return g.t > next->t + 1.0; });
    ASSERT_TRUE(later);
    for (const TraceFrame& g : trace.frames()) {
        if (g.frame >= next->frame) {
            ASSERT_EQ(g.rounds, 12) << "the click fired: " << g.line;
            ASSERT_FALSE(hasShots(g)) << g.line;
        }
    }
    EXPECT_EQ(quitWithEscape(*game, window), 255) << game->out() << game->err();
}

TEST_F(GameRoundTest, PPausesAndPOrAClickGoesOnAndSoDoesLosingTheFocus) {
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startWithFocus(game);
    ASSERT_NE(window, 0ul);
    const GameTrace& trace = *this->trace;
    auto moving = [](const TraceFrame& f) { return !f.zombies.empty(); };
    ASSERT_TRUE(trace.waitFor(0, moving, 60000));

    auto stillWhilePaused = [&](const char* how) {
        SCOPED_TRACE(how);
        auto first = trace.waitFor(
            trace.now(), [](const TraceFrame& f) { return f.state == "paused"; }, 60000);
        ASSERT_TRUE(first) << "not paused";
        // Frames go on, and nothing in them moves.
        auto later = trace.waitFor(
            first->frame, [&](const TraceFrame& f) { return f.t > first->t + 1.5; }, 60000);
        ASSERT_TRUE(later);
        int frames = 0;
        for (const TraceFrame& f : trace.frames()) {
            if (f.frame > first->frame && f.frame <= later->frame) {
                ASSERT_EQ(f.state, "paused") << f.line;
                ASSERT_EQ(world(f), world(*first)) << "moved while paused: " << f.line;
                EXPECT_EQ(f.steps, 0);
                frames += 1;
            }
        }
        EXPECT_GE(frames, 3) << "the still frame is drawn a few times a second";
    };
    auto goesOn = [&](const char* how, const TraceFrame& before) {
        SCOPED_TRACE(how);
        auto on =
            trace.waitFor(before.frame, [](const TraceFrame& f) { return f.state == "playing"; });
        ASSERT_TRUE(on) << "still paused";
        auto moved = trace.waitFor(
            on->frame, [&](const TraceFrame& f) { return world(f) != world(before); }, 60000);
        EXPECT_TRUE(moved) << "the world stood still after the pause";
        for (const TraceFrame& f : trace.frames()) {
            if (f.frame >= on->frame) {
                ASSERT_EQ(f.rounds, 12) << "what ended the pause fired: " << f.line;
                ASSERT_FALSE(hasShots(f)) << f.line;
                ASSERT_NEAR(f.heading, before.heading, 1e-9) << "it turned: " << f.line;
            }
        }
    };

    auto pausedNow = [](const TraceFrame& f) { return f.state == "paused"; };
    auto playingNow = [](const TraceFrame& f) { return f.state == "playing"; };
    ASSERT_TRUE(holdKeyUntil("p", pausedNow));
    stillWhilePaused("P");
    TraceFrame before = trace.frames().back();
    ASSERT_TRUE(holdKeyUntil("p", playingNow));
    goesOn("P again", before);

    ASSERT_TRUE(holdKeyUntil("Pause", pausedNow));
    stillWhilePaused("the Pause key");
    before = trace.frames().back();
    ASSERT_TRUE(holdButtonUntil(1, playingNow));
    goesOn("a click", before);

    {
        FocusThief other;
        ASSERT_TRUE(other.took());
        stillWhilePaused("another window took the focus");
    }
    before = trace.frames().back();
    ASSERT_TRUE(holdButtonUntil(1, playingNow));
    goesOn("a click after coming back", before);

    EXPECT_EQ(quitWithEscape(*game, window), 255) << game->out() << game->err();
}

TEST_F(GameRoundTest, AGameStoppedForSecondsGoesOnAQuarterSecondLater) {
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game);
    ASSERT_NE(window, 0ul);
    const GameTrace& trace = *this->trace;
    ASSERT_TRUE(trace.waitFor(
        0, [](const TraceFrame& f) { return f.zombies.size() == 4; }, 60000));
    const long stopped = trace.now();

    ASSERT_EQ(kill(game->pid(), SIGSTOP), 0);
    std::this_thread::sleep_for(std::chrono::seconds(3)); // as long as the machine sleeps
    ASSERT_EQ(kill(game->pid(), SIGCONT), 0);

    auto jump = trace.waitFor(
        stopped, [](const TraceFrame& f) { return f.dt >= 0.25; }, 60000);
    ASSERT_TRUE(jump) << "no frame took the stop";
    EXPECT_FLOAT_EQ(jump->dt, 0.25f) << jump->line;
    EXPECT_EQ(jump->steps, 8);
    const TraceFrame* before = nullptr;
    for (const TraceFrame& f : trace.frames()) {
        if (f.frame == jump->frame - 1) {
            before = &f;
        }
    }
    ASSERT_NE(before, nullptr);
    ASSERT_EQ(before->zombies.size(), jump->zombies.size());
    for (size_t i = 0; i < jump->zombies.size(); ++i) {
        const double moved = std::hypot(jump->zombies[i].x - before->zombies[i].x,
                                        jump->zombies[i].z - before->zombies[i].z);
        // Running, a quarter of a second takes it 15; a push adds little.
        EXPECT_LE(moved, 15.5) << "zombie " << i << ": " << jump->line;
    }
    EXPECT_EQ(quitWithEscape(*game, window), 255) << game->out() << game->err();
}
