#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "morrowfen");
    return CommandLine::parse(static_cast<int>(args.size()), args.data());
}

struct Accepted {
    std::vector<const char*> args;
    CommandLine::Action action;
    float sensitivity;
    bool fullscreen, noSound;
    CommandLine::Demo demo = CommandLine::Demo::None;
    const char* demoFile = "";
};

} // namespace

TEST(CommandLineTest, AcceptsTheGnuForms) {
    using A = CommandLine::Action;
    const Accepted cases[] = {
        {{}, A::Play, 1.0f, false, false},
        {{"--sensitivity=0.5"}, A::Play, 0.5f, false, false},
        {{"--sensitivity", "2"}, A::Play, 2.0f, false, false},
        {{"--sens=10"}, A::Play, 10.0f, false, false},
        {{"--sensitivity=.25", "--sensitivity=3."}, A::Play, 3.0f, false, false},
        {{"--sensitivity=0.001"}, A::Play, 0.001f, false, false},
        {{"--full", "--no-s"}, A::Play, 1.0f, true, true},
        {{"--no-sound", "--"}, A::Play, 1.0f, false, true},
        {{"--version", "--help"}, A::Help, 1.0f, false, false},
        {{"--fullscreen", "--version"}, A::Version, 1.0f, true, false},
        {{"--record", "a b.mfdemo"},
         A::Play,
         1.0f,
         false,
         false,
         CommandLine::Demo::Record,
         "a b.mfdemo"},
        {{"--play=x", "--play=y"}, A::Play, 1.0f, false, false, CommandLine::Demo::Play, "y"},
        {{"--time=-"}, A::Play, 1.0f, false, false, CommandLine::Demo::Time, "-"},
    };
    for (const Accepted& c : cases) {
        const CommandLine line = parse(c.args);
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        EXPECT_EQ(line.action, c.action) << line.error;
        EXPECT_EQ(line.sensitivity, c.sensitivity);
        EXPECT_EQ(line.fullscreen, c.fullscreen);
        EXPECT_EQ(line.noSound, c.noSound);
        EXPECT_EQ(line.demo, c.demo);
        EXPECT_EQ(line.demoFile, c.demoFile);
    }
}

TEST(CommandLineTest, RefusalsNameWhatIsWrong) {
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{"--"}, nullptr},
        {{"--bogus"}, "morrowfen: unknown option '--bogus'; see 'morrowfen --help'"},
        {{"--=1"}, "morrowfen: unknown option '--'; see 'morrowfen --help'"},
        {{"--sensitivity"},
         "morrowfen: option '--sensitivity' needs a value; see 'morrowfen --help'"},
        {{"--no-sound=1"}, "morrowfen: option '--no-sound' takes no value; see 'morrowfen --help'"},
        {{"--play"}, "morrowfen: option '--play' needs a value; see 'morrowfen --help'"},
        {{"--record="}, "morrowfen: option '--record' needs a file name; see 'morrowfen --help'"},
        {{"--play=a", "--timedemo=b"},
         "morrowfen: only one of --record, --play and --timedemo can be given; see 'morrowfen "
         "--help'"},
        {{"--sensitivity=0x1p-1"},
         "morrowfen: bad value '0x1p-1' for --sensitivity: give degrees per pixel, more than 0 "
         "and at most 10; see 'morrowfen --help'"},
        {{"--", "--help"}, "morrowfen: unexpected argument '--help'; see 'morrowfen --help'"},
    };
    for (const auto& c : cases) {
        const CommandLine line = parse(c.first);
        if (c.second == nullptr) {
            EXPECT_EQ(line.action, CommandLine::Action::Play);
            continue;
        }
        EXPECT_EQ(line.action, CommandLine::Action::Fail) << c.second;
        EXPECT_EQ(line.error, c.second);
    }
}
