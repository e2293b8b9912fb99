// Rounds of the real game, watched through the trace: a survivor who stands
// still falls to the zombies, the round ends under its message, and Enter
// starts the next one on a fresh field, three times over.

#include "GameFixture.h"

#include <cmath>

namespace {

using RoundTest = GameFixture;

// Bright text in the message's band across the middle of the window.
int messagePixels(const WindowPixels& p) {
    int n = 0;
    for (int y = 768 - 470; y < 768 - 300; ++y) {
        for (int x = 0; x < 1024; ++x) {
            unsigned long c = p.at(x, y);
            n += (c >> 16) > 200 && (((c >> 8) & 0xFF) > 200 || ((c >> 8) & 0xFF) < 60);
        }
    }
    return n;
}

} // namespace

TEST_F(RoundTest, StandingStillTheSurvivorFallsAndThreeRoundsStartAfresh) {
    std::unique_ptr<ChildProcess> game;
    unsigned long window = startAndFindWindow(game);
    ASSERT_NE(window, 0ul);
    const TraceFrame start = trace->frames().front();
    ASSERT_EQ(start.round, 1);
    ASSERT_EQ(start.state, "playing");
    ASSERT_NE(start.objects.find("\"Zombie\":4"), std::string::npos)
        << "the four graves raise their zombies in the first frame: " << start.objects;

    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto over = trace->waitFor(
            0, [&](const TraceFrame& f) { return f.round == round && f.state == "over"; }, 180000);
        ASSERT_TRUE(over) << "the zombies never finished the survivor";
        EXPECT_LE(over->health, 0.0);
        // Only blows of 6 took the health away.
        double last = 100.0;
        for (const TraceFrame& f : trace->frames()) {
            if (f.round != round || f.frame > over->frame) {
                continue;
            }
            double lost = last - f.health;
            EXPECT_GE(lost, 0.0) << f.line;
            EXPECT_LT(std::fabs(lost / 6.0 - std::round(lost / 6.0)), 1e-3) << f.line;
            last = f.health;
        }
        EXPECT_EQ(over->points, 0);

        // The message stands over the still field.
        std::optional<WindowPixels> shot;
        auto seen = trace->waitFor(over->frame, [&](const TraceFrame&) {
            shot = grabWindow(window);
            return shot && messagePixels(*shot) > 500;
        });
        EXPECT_TRUE(seen) << "no message";

        ASSERT_TRUE(pressKey(window, "Return"));
        auto next = trace->waitFor(over->frame, [&](const TraceFrame& f) {
            return f.round == round + 1 && f.state == "playing";
        });
        ASSERT_TRUE(next);
        EXPECT_EQ(next->health, 100.0);
        EXPECT_EQ(next->points, 0);
        EXPECT_EQ(next->weapon, "Pistol");
        EXPECT_EQ(next->rounds, 12);
        EXPECT_EQ(next->clips, 3);
        EXPECT_EQ(next->objects, start.objects) << "what the old round left behind";
    }
    ASSERT_TRUE(pressKey(window, "Escape"));
    EXPECT_EQ(game->waitForExit(30000), 255) << game->out() << game->err();
    EXPECT_EQ(game->err(), "");
}
