#include "app/CommandLine.h"

#include <cstdlib>

namespace {

enum class OptionId { Help, Version, Sensitivity, Fullscreen, NoSound, Record, Play, Timedemo };

struct Option {
    const char* name;
    OptionId id;
    bool takesValue;
};

const Option OPTIONS[] = {
    {"help", OptionId::Help, false},
    {"version", OptionId::Version, false},
    {"sensitivity", OptionId::Sensitivity, true},
    {"fullscreen", OptionId::Fullscreen, false},
    {"no-sound", OptionId::NoSound, false},
    {"record", OptionId::Record, true},
    {"play", OptionId::Play, true},
    {"timedemo", OptionId::Timedemo, true},
};

CommandLine failure(const std::string& what) {
    CommandLine line;
    line.action = CommandLine::Action::Fail;
    line.error = "morrowfen: " + what + "; see 'morrowfen --help'";
    return line;
}

// The option a name given on the command line stands for: itself, or the
// one option it is the start of. Null when it is none or several.
const Option* findOption(const std::string& given, bool& ambiguous) {
    const Option* found = nullptr;
    int prefixes = 0;
    for (const Option& option : OPTIONS) {
        const std::string name = option.name;
        if (name == given) {
            return &option;
        }
        if (name.compare(0, given.size(), given) == 0) {
            found = &option;
            ++prefixes;
        }
    }
    ambiguous = prefixes > 1;
    return prefixes == 1 ? found : nullptr;
}

// A plain decimal number: digits with at most one point, nothing else, so
// that neither "nan", "inf", hexadecimal nor an exponent slips through.
bool readDecimal(const std::string& text, float& value) {
    bool digits = false;
    bool point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digits) {
        return false;
    }
    value = std::strtof(text.c_str(), nullptr);
    return true;
}

} // namespace

CommandLine CommandLine::parse(int argc, const char* const* argv) {
    CommandLine line;
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            if (i + 1 < argc) {
                return failure("unexpected argument '" + std::string(argv[i + 1]) + "'");
            }
            break;
        }
        if (arg.compare(0, 2, "--") != 0) {
            if (arg.size() > 1 && arg[0] == '-') {
                return failure("unknown option '" + arg + "'");
            }
            return failure("unexpected argument '" + arg + "'");
        }
        const size_t equals = arg.find('=');
        const std::string given = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        bool ambiguous = false;
        const Option* option = given.empty() ? nullptr : findOption(given, ambiguous);
        const std::string shown = "--" + given;
        if (option == nullptr) {
            return failure((ambiguous ? "ambiguous option '" : "unknown option '") + shown + "'");
        }
        const std::string name = std::string("--") + option->name;
        std::string value;
        if (option->takesValue) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                return failure("option '" + name + "' needs a value");
            }
        } else if (equals != std::string::npos) {
            return failure("option '" + name + "' takes no value");
        }
        switch (option->id) {
        case OptionId::Help:
            help = true;
            break;
        case OptionId::Version:
            version = true;
            break;
        case OptionId::Sensitivity:
            if (!readDecimal(value, line.sensitivity) || line.sensitivity <= 0.0f ||
                line.sensitivity > MAX_SENSITIVITY) {
                return failure("bad value '" + value + "' for " + name +
                               ": give degrees per pixel, more than 0 and at most 10");
            }
            break;
        case OptionId::Fullscreen:
            line.fullscreen = true;
            break;
        case OptionId::NoSound:
            line.noSound = true;
            break;
        case OptionId::Record:
        case OptionId::Play:
        case OptionId::Timedemo: {
            const Demo demo = option->id == OptionId::Record ? Demo::Record
                              : option->id == OptionId::Play ? Demo::Play
                                                             : Demo::Time;
            if (value.empty()) {
                return failure("option '" + name + "' needs a file name");
            }
            if (line.demo != Demo::None && line.demo != demo) {
                return failure("only one of --record, --play and --timedemo can be given");
            }
            line.demo = demo;
            line.demoFile = value;
            break;
        }
        }
    }
    if (help) {
        line.action = Action::Help;
    } else if (version) {
        line.action = Action::Version;
    }
    return line;
}

std::string usageText() {
    return "Usage: morrowfen [OPTION]...\n"
           "Hold the fenced field at night against the zombies rising from their graves.\n"
           "\n"
           "      --sensitivity=DEGREES  turn DEGREES per pixel of pointer motion,\n"
           "                               more than 0 and at most 10 (default 1)\n"
           "      --fullscreen           play on the whole screen, at 1024 x 768\n"
           "      --no-sound             play in silence, without opening the sound device\n"
           "      --record=FILE          play, and record the game in FILE\n"
           "      --play=FILE            play back the game recorded in FILE\n"
           "      --timedemo=FILE        play it back as fast as it draws, then print\n"
           "                               the frame rate and frame times\n"
           "      --help                 show this help and exit\n"
           "      --version              show the version and exit\n"
           "\n"
           "Controls: W S A D walk and step, the mouse turns, the left button fires,\n"
           "the right button reloads, the wheel changes weapon, P pauses and Escape\n"
           "quits. The manual page, morrowfen(6), says more.\n";
}

std::string versionText() {
    return "morrowfen " MORROWFEN_VERSION "\n";
}
