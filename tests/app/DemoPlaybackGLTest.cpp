// The committed recording, played back in this process through the game's
// own frame loop: any change to the rules shows as a change in its trace.

#include "support/GameDirGLTest.h"
#include "support/GameTrace.h"
#include "support/Process.h"
#include "support/TestFiles.h"

#include "app/CommandLine.h"
#include "app/Controls.h"
#include "app/Demo.h"
#include "app/FrameTimer.h"
#include "app/MainLoop.h"
#include "app/StartUp.h"
#include "app/Trace.h"

#include <cstdlib>
#include <fstream>

namespace {

using DemoPlaybackGLTest = GameDirGLTest;

const char* const DEMO = MORROWFEN_SOURCE_DIR "/demos/fight.mfdemo";
const char* const DEMO_TRACE = MORROWFEN_SOURCE_DIR "/demos/fight.trace.gz";

} // namespace

TEST_F(DemoPlaybackGLTest, TheCommittedFightPlaysBackToItsCommittedTrace) {
    const std::string dir = makeScratchDir("demo_playback");
    int status = -1;
    runCommand("gzip -dc '" + std::string(DEMO_TRACE) + "' > '" + dir + "/expected.jsonl'",
               &status);
    ASSERT_EQ(status, 0);
    const std::vector<std::string> expected = traceLinesWithoutTime(dir + "/expected.jsonl");
    ASSERT_GT(expected.size(), 1000u);

    // As the game plays it: the focus pauses, as in the recording.
    focusPauseAllowed = true;
    setenv("MORROWFEN_TRACE", (dir + "/played.jsonl").c_str(), 1);
    CommandLine options;
    options.demo = CommandLine::Demo::Time;
    options.demoFile = DEMO;
    demo::begin(options);
    loadGame();
    FrameTimer timer;
    Trace* trace = Trace::open();
    ASSERT_NE(trace, nullptr);
    std::ifstream played(dir + "/played.jsonl");
    // Frame by frame, so that a change shows in the first frame it touches,
    // before the game reads what the recording no longer holds. The last
    // frame holds the Escape that ended the game, and would end this
    // process too.
    size_t frame = 0;
    while (demo::framesLeft() > 1) {
        runFrame(timer, trace);
        ASSERT_TRUE(demo::endFrame());
        std::string line;
        ASSERT_TRUE(std::getline(played, line)) << "no line for frame " << frame + 1;
        ASSERT_LT(frame, expected.size());
        ASSERT_EQ(traceLineWithoutTime(line), expected[frame]) << "frame " << frame + 1;
        ++frame;
    }
    EXPECT_EQ(frame, expected.size());
    delete trace;
}
