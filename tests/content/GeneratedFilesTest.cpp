#include "GeneratedRes.h"

#include "support/Process.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::vector<unsigned char>> readFolder(const std::string& dir) {
    std::map<std::string, std::vector<unsigned char>> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
            files[entry.path().filename().string()] = readFile(entry.path().string());
    return files;
}

// Writes res/ into dir and the icon beside it, as dir.png.
std::string generate(const std::string& dir, int* status) {
    return runCommand(std::string("'") + MORROWFEN_CONTENT_EXE + "' '" + dir + "' --font '" +
                          MORROWFEN_FONT + "' --font-licence '" + MORROWFEN_FONT_LICENCE +
                          "' --icon '" + dir + ".png' 2>&1",
                      status);
}

} // namespace

TEST(GeneratedFilesTest, ResHoldsEveryFileTheGameReads) {
    for (const char* name :
         {"shell.tga",      "grassPlane.obj", "fence.obj",           "character.md2",
          "character.tga",  "zombie.md2",     "zombie.tga",          "GraveStone.md2",
          "GraveStone.tga", "banana.md2",     "banana.tga",          "weapon.md2",
          "weapon.tga",     "shotgun.md2",    "shotgun.tga",         "water.tga",
          "Particle.tga",   "arialBlack.ttf", "gun_pump_action.WAV", "gun_shotgun2.WAV",
          "Ravonel.ogg"})
        EXPECT_TRUE(fs::is_regular_file(resPath(name))) << name;
}

TEST(GeneratedFilesTest, FontIsAHeavyFaceWithItsLicenceBesideIt) {
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, resPath("arialBlack.ttf").c_str(), 0, &face), 0);
    EXPECT_TRUE(face->style_flags & FT_STYLE_FLAG_BOLD);
    EXPECT_TRUE(FT_IS_SCALABLE(face));
    // Every printable character the display can show has a glyph.
    for (char c = 32; c < 127; ++c)
        EXPECT_NE(FT_Get_Char_Index(face, FT_ULong(c)), 0u) << c;
    EXPECT_EQ(FT_Set_Char_Size(face, 20 * 64, 20 * 64, 96, 96), 0);
    EXPECT_EQ(FT_Load_Glyph(face, FT_Get_Char_Index(face, 'W'), FT_LOAD_DEFAULT), 0);
    std::string family = face->family_name;
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    std::vector<unsigned char> licence = readFile(resPath("arialBlack.LICENSE"));
    std::string text(licence.begin(), licence.end());
    EXPECT_NE(text.find(family.substr(0, family.find(' '))), std::string::npos) << family;
    EXPECT_NE(text.find("ermission"), std::string::npos);
}

TEST(GeneratedFilesTest, GeneratorWritesTheSameBytesEveryTime) {
    std::string a = makeScratchDir("content_a"), b = makeScratchDir("content_b");
    int status = -1;
    EXPECT_EQ(generate(a, &status), "");
    ASSERT_EQ(status, 0);
    EXPECT_EQ(generate(b, &status), "");
    ASSERT_EQ(status, 0);
    auto first = readFolder(a), second = readFolder(b), built = readFolder(resPath(""));
    EXPECT_GE(first.size(), 25u);
    for (const auto& [name, bytes] : first) {
        EXPECT_TRUE(second.count(name) && second[name] == bytes) << name;
        EXPECT_TRUE(built.count(name) && built[name] == bytes)
            << name << " differs from the build's";
    }
    EXPECT_EQ(first.size(), second.size());
    EXPECT_FALSE(built.count("morrowfen.png")) << "the icon is not the game's";
    EXPECT_EQ(readFile(a + ".png"), readFile(b + ".png"));
    EXPECT_EQ(readFile(a + ".png"), readFile(MORROWFEN_GAME_DIR "/morrowfen.png"));
}

TEST(GeneratedFilesTest, GeneratorRefusesWithAClearMessage) {
    int status = -1;
    std::string exe = std::string("'") + MORROWFEN_CONTENT_EXE + "'";
    EXPECT_NE(runCommand(exe + " 2>&1", &status).find("usage:"), std::string::npos);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(runCommand(exe + " /tmp/x --colour blue 2>&1", &status),
              "content: unknown option --colour\n");
    EXPECT_EQ(status, 2);
    std::string blocked = makeScratchDir("content_blocked") + "/file";
    writeFile(blocked, std::string("not a folder"));
    std::string out = runCommand(exe + " '" + blocked + "/res' --only shell 2>&1", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.rfind("content: cannot make " + blocked + "/res", 0), 0u) << out;
}
