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
    // The last frame holds the Escape that ended the game, and would end
    // this process too.
    while (demo::framesLeft() > 1) {
        runFrame(timer, trace);
        ASSERT_TRUE(demo::endFrame());
    }
    delete trace;
    const std::vector<std::string> played = traceLinesWithoutTime(dir + "/played.jsonl");
    ASSERT_EQ(played.size(), expected.size());
    for (size_t i = 0; i < played.size(); ++i) {
        // The first frame that differs is the one to look at.
        ASSERT_EQ(played[i], expected[i]) << "frame " << i + 1;
    }
}
