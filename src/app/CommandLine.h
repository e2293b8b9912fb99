#pragma once

#include <string>

// What the command line asks of the game. With no options it plays as it
// always has: turning one degree per pixel, in a window, with sound.
struct CommandLine {
    enum class Action { Play, Help, Version, Fail };
    // Recording a game, playing one back in real time, or as fast as it
    // draws to time it.
    enum class Demo { None, Record, Play, Time };

    // The most a pixel of pointer motion may turn the figure, in degrees.
    static constexpr float MAX_SENSITIVITY = 10.0f;

    Action action = Action::Play;
    float sensitivity = 1.0f;
    bool fullscreen = false;
    bool noSound = false;
    Demo demo = Demo::None;
    std::string demoFile;
    // When action is Fail: one line naming the option or value at fault and
    // pointing at --help, without its newline.
    std::string error;

    // Reads long options in the GNU way: "--name=value" or "--name value",
    // any unambiguous prefix of a name, and "--" ending the options. The
    // game takes no other arguments.
    static CommandLine parse(int argc, const char* const* argv);
};

// The text of --help and of --version, each ending in a newline.
std::string usageText();
std::string versionText();
