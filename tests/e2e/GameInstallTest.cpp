// The install a player gets: `cmake --install` of this build tree into a
// scratch folder, and the installed launcher started as a player would.

#include "GameFixture.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Installs this build tree at prefix, staged under destdir unless that is
// empty; cmake's output.
std::string install(const std::string& destdir, const std::string& prefix, int* status) {
    std::string env = destdir.empty() ? "" : "DESTDIR='" + destdir + "' ";
    return runCommand(env + "'" MORROWFEN_CMAKE "' --install '" MORROWFEN_BUILD_DIR "' --prefix '" +
                          prefix + "' 2>&1",
                      status);
}

// Every file under dir, named from it.
std::set<std::string> filesUnder(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (!entry.is_directory())
            names.insert(fs::relative(entry.path(), dir).string());
    return names;
}

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> all;
    for (std::string line; std::getline(in, line);)
        all.push_back(line);
    return all;
}

} // namespace

class GameInstallTest : public GameFixture {};

TEST_F(GameInstallTest, LauncherOnThePathPlaysFromAnyFolder) {
    // Staged under DESTDIR, as a package is built, for a prefix with a space.
    const std::string stage = makeTestScratchDir("install"), prefix = "/opt/morrow fen";
    int status = -1;
    const std::string log = install(stage, prefix, &status);
    ASSERT_EQ(status, 0) << log;
    const fs::path root = stage + prefix;

    std::set<std::string> res = filesUnder(fs::path(MORROWFEN_GAME_DIR) / "res");
    res.erase(".generated");
    std::set<std::string> expected = {"bin/morrowfen",
                                      "libexec/morrowfen/morrowfen",
                                      "share/applications/morrowfen.desktop",
                                      "share/icons/hicolor/128x128/apps/morrowfen.png",
                                      "share/man/man6/morrowfen.6",
                                      "share/metainfo/invalid.morrowfen.morrowfen.metainfo.xml"};
    for (const std::string& name : res)
        expected.insert("share/morrowfen/res/" + name);
    EXPECT_EQ(filesUnder(root), expected);
    EXPECT_EQ(access((root / "bin/morrowfen").c_str(), X_OK), 0);
    EXPECT_EQ(access((root / "libexec/morrowfen/morrowfen").c_str(), X_OK), 0);
    // The manifest names every file at its place under the prefix, so that
    // an uninstall can remove them.
    std::set<std::string> manifest;
    for (const std::string& line : lines(MORROWFEN_BUILD_DIR "/install_manifest.txt"))
        manifest.insert(fs::relative(line, prefix).string());
    EXPECT_EQ(manifest, expected);

    // The software centre finds the menu entry by the name the metainfo gives.
    const std::vector<std::string> metainfo =
        lines((root / "share/metainfo/invalid.morrowfen.morrowfen.metainfo.xml").string());
    EXPECT_NE(std::find(metainfo.begin(), metainfo.end(),
                        "  <launchable type=\"desktop-id\">morrowfen.desktop</launchable>"),
              metainfo.end());

    // The menu entry is valid and starts the launcher where it will be, not
    // where it was staged.
    const std::string desktop = (root / "share/applications/morrowfen.desktop").string();
    EXPECT_EQ(runCommand("desktop-file-validate '" + desktop + "' 2>&1", &status), "");
    EXPECT_EQ(status, 0);
    const std::vector<std::string> entry = lines(desktop);
    EXPECT_NE(std::find(entry.begin(), entry.end(), "Exec=\"/opt/morrow fen/bin/morrowfen\""),
              entry.end());

    // Started by its name through a link on the path, from another folder,
    // on a machine without a sound device: it plays in silence.
    const std::string links = makeTestScratchDir("links"), elsewhere = makeTestScratchDir("cwd");
    fs::create_symlink(root / "bin/morrowfen", links + "/morrowfen");
    const std::string tracePath = elsewhere + "/trace.jsonl";
    const char* path = std::getenv("PATH");
    ChildProcess game("/bin/sh", {"-c", "exec morrowfen"}, elsewhere,
                      {{"PATH", links + ":" + (path ? path : "/usr/bin:/bin")},
                       // ALSA without its configuration finds no device on
                       // any machine, and says so on standard error itself.
                       {"SDL_AUDIODRIVER", "alsa"},
                       {"ALSA_CONFIG_PATH", "/nonexistent"},
                       {"XDG_DATA_HOME", makeTestScratchDir("data")},
                       {"MORROWFEN_TRACE", tracePath}});
    GameTrace frames(tracePath);
    auto window = findWindow(TITLE, 60000);
    ASSERT_TRUE(window.has_value()) << game.out() << game.err();
    EXPECT_TRUE(frames.waitFor(
        2, [](const TraceFrame&) { return true; }, 60000))
        << "no frames presented" << game.out() << game.err();
    // The launcher became the game, in the data folder.
    std::error_code gone;
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(game.pid()) + "/cwd", gone),
              fs::canonical(root / "share/morrowfen"))
        << gone.message();
    const std::string& err = game.err();
    EXPECT_EQ(err.rfind("morrowfen: no sound device could be opened (", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_EQ(quitWithEscape(game, *window), 255) << game.out() << game.err();
}

TEST_F(GameInstallTest, LauncherSaysInOneLineWhatIsMissing) {
    const std::string prefix = makeTestScratchDir("prefix");
    int status = -1;
    const std::string log = install("", prefix, &status);
    ASSERT_EQ(status, 0) << log;
    const std::string full = fs::canonical(prefix).string();
    struct Case {
        const char* part;
        std::string message;
    };
    const Case cases[] = {
        {"share/morrowfen", "morrowfen: the game's data is not installed: " + full +
                                "/share/morrowfen/res is missing\n"},
        {"libexec/morrowfen", "morrowfen: the game is not installed: " + full +
                                  "/libexec/morrowfen/morrowfen is missing\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        const fs::path part = fs::path(prefix) / c.part, away = part.string() + ".away";
        fs::rename(part, away);
        ChildProcess launcher(prefix + "/bin/morrowfen", {}, "/");
        EXPECT_EQ(launcher.waitForExit(30000), 1);
        EXPECT_EQ(launcher.err(), c.message);
        EXPECT_EQ(launcher.out(), "");
        fs::rename(away, part);
    }
}
