// The real game started with one of its files under res/ missing or cut to
// half its length: it either plays on or ends at once with a line naming the
// file and a status of its own, and never dies of a signal, hangs or floods
// its output.

#include "GameFixture.h"
#include "support/GameTrace.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Cut { Missing, Half };

struct ResCase {
    const char* file;
    Cut cut;
    // The exit status, or nullopt when the game plays on.
    std::optional<int> status;
    // The start of the line, on either stream, that names the file; empty
    // where nothing is said (the sounds and the pick-up, which show only
    // when a zombie falls).
    const char* said;
};

const char* const SCENE = "Error creating objects! Reason: ";
const char* const TEXTURE = "Error: Couldn't create texture 2D from ";

std::string line(const char* start, const char* file) {
    return std::string(start) + "res/" + file;
}

std::vector<ResCase> cases() {
    // Files whose loss or damage does the same in both cases.
    struct Row {
        const char* file;
        std::optional<int> status;
        const char* start;
    };
    const Row rows[] = {
        {"character.md2", 121, SCENE},
        {"weapon.md2", 121, SCENE},
        {"arialBlack.ttf", 120, "Unable to load font "},
        {"banana.md2", std::nullopt, SCENE},
        {"GraveStone.md2", std::nullopt, SCENE},
        {"zombie.md2", std::nullopt, "Unable to raise a zombie: "},
        {"shotgun.md2", std::nullopt, ""},
        {"character.tga", std::nullopt, TEXTURE},
        {"weapon.tga", std::nullopt, TEXTURE},
        {"banana.tga", std::nullopt, TEXTURE},
        {"GraveStone.tga", std::nullopt, TEXTURE},
        {"zombie.tga", std::nullopt, TEXTURE},
        {"shotgun.tga", std::nullopt, ""},
        {"grassPlane.obj", std::nullopt, ""},
        {"grassPlane.mtl", std::nullopt, ""},
        {"grass.tga", std::nullopt, TEXTURE},
        {"fence.obj", std::nullopt, ""},
        {"fence.mtl", std::nullopt, ""},
        {"fencePost.tga", std::nullopt, TEXTURE},
        {"fenceRail.tga", std::nullopt, TEXTURE},
        {"water.tga", std::nullopt, TEXTURE},
        {"Particle.tga", std::nullopt, TEXTURE},
        {"shell.tga", std::nullopt, TEXTURE},
        {"gun_pump_action.WAV", std::nullopt, ""},
        {"gun_shotgun2.WAV", std::nullopt, ""},
        {"Ravonel.ogg", std::nullopt, ""},
    };
    std::vector<ResCase> all;
    for (const Row& r : rows) {
        for (Cut cut : {Cut::Missing, Cut::Half}) {
            all.push_back({r.file, cut, r.status, r.start});
        }
    }
    return all;
}

// Shown by the test's name instead of the row's bytes.
void PrintTo(const ResCase& c, std::ostream* os) {
    *os << c.file << (c.cut == Cut::Missing ? " missing" : " cut to half");
}

std::string caseName(const ::testing::TestParamInfo<ResCase>& info) {
    std::string name = info.param.file;
    std::replace(name.begin(), name.end(), '.', '_');
    return name + (info.param.cut == Cut::Missing ? "_missing" : "_half");
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        all.push_back(l);
    }
    return all;
}

class GameResFilesTest : public GameFixture, public ::testing::WithParamInterface<ResCase> {
protected:
    // The game's res/ through links, but for the file under test, which is
    // left out or copied at half its length.
    static std::string gameDir(const ResCase& c) {
        const std::string dir = resWithout(c.file, std::string("res-") + caseName({c, 0}));
        if (c.cut == Cut::Half) {
            std::ifstream in(std::string(MORROWFEN_GAME_DIR) + "/res/" + c.file, std::ios::binary);
            std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
            EXPECT_GT(bytes.size(), 1u) << c.file;
            bytes.resize(bytes.size() / 2);
            writeFile(dir + "/res/" + c.file, bytes);
        }
        return dir;
    }
};

// Enough frames to see play go on, and to see a fault repeated every frame.
constexpr long PLAYED_FRAMES = 30;
// A texture's two lines, or a zombie from each grave stone and a few tries
// again on a slow machine; a fault repeated every frame writes far more.
constexpr size_t MOST_ERROR_LINES = 10;

TEST_P(GameResFilesTest, PlaysOnOrEndsNamingTheFile) {
    const ResCase& c = GetParam();
    const std::string trace = makeTestScratchDir("trace-" + caseName({c, 0})) + "/trace.jsonl";
    std::filesystem::remove(trace);
    auto game = startGame({{"MORROWFEN_TRACE", trace}}, gameDir(c));

    if (c.status) {
        EXPECT_EQ(game->waitForExit(120000), *c.status) << game->out() << game->err();
    } else {
        GameTrace frames(trace);
        EXPECT_TRUE(frames.waitFor(
            PLAYED_FRAMES - 1, [](const TraceFrame&) { return true; }, 120000))
            << "no frame " << PLAYED_FRAMES << "\n"
            << game->out() << game->err();
        EXPECT_TRUE(game->running()) << game->out() << game->err();
    }
    EXPECT_FALSE(game->killedBySignal()) << game->out() << game->err();

    const std::string out = game->out(), err = game->err();
    if (*c.said != '\0') {
        const std::string named = line(c.said, c.file);
        bool found = false;
        for (const std::string& l : lines(out + err)) {
            found = found || l.rfind(named, 0) == 0;
        }
        EXPECT_TRUE(found) << "no line starting " << named << "\n" << out << err;
    }
    EXPECT_LE(lines(err).size(), MOST_ERROR_LINES) << err;
}

INSTANTIATE_TEST_SUITE_P(EveryFile, GameResFilesTest, ::testing::ValuesIn(cases()), caseName);

} // namespace
