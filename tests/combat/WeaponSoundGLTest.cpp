// What the guns sound like at the sound card: the shotgun's blast on every
// shot, the pump on every reload, and a silent pistol.

#include "support/DiskAudio.h"
#include "support/GameDirGLTest.h"
#include "support/SoundFiles.h"
#include "support/TestFiles.h"

#include "combat/Pistol.h"
#include "combat/Shotgun.h"
#include "text_sound/AudioPlayer.h"

#include <SDL_mixer.h>

namespace {

class WeaponSoundGLTest : public GameDirGLTest {
protected:
    void SetUp() override {
        GameDirGLTest::SetUp();
        device.open(makeTestScratchDir("weapon_sound"));
    }
    void TearDown() override {
        device.close();
        GameDirGLTest::TearDown();
    }

    // The output from first on is exactly one copy of the effect, then
    // nothing.
    static void expectOnce(const std::vector<short>& out, size_t first, Mix_Chunk* chunk) {
        const short* samples = reinterpret_cast<const short*>(chunk->abuf);
        std::vector<short> effect(samples, samples + chunk->alen / 2);
        size_t lead = firstSound(effect);
        size_t last = lastSound(effect);
        ASSERT_NE(lead, std::string::npos);
        ASSERT_GE(first, lead);
        size_t start = first - lead;
        ASSERT_GE(out.size(), start + last + 1) << "listened too briefly";
        for (size_t i = lead; i <= last; ++i) {
            ASSERT_EQ(out[start + i], effect[i]) << "sample " << i;
        }
        EXPECT_EQ(lastSound(out), start + last) << "more than one copy";
    }

    DiskAudio device;
};

} // namespace

TEST_F(WeaponSoundGLTest, ShotgunBlastsOncePerShotReloadsPumpOnceThePistolIsSilent) {
    Shotgun shotgun(Vector2(0.0f, 0.0f));
    Pistol pistol(Vector2(0.0f, 0.0f));
    shotgun.update(1.0f);
    pistol.update(1.0f);
    const auto& sounds = AudioPlayer::getInstance()->getSounds();
    // Loaded once, under the one name each gun uses to play it.
    ASSERT_EQ(sounds.size(), 2u);
    Mix_Chunk* blast = sounds.at(Shotgun::SHOT_SOUND);
    Mix_Chunk* pump = sounds.at(Weapon::RELOAD_SOUND);
    ASSERT_NE(blast, nullptr);
    ASSERT_NE(pump, nullptr);

    size_t first = 0;
    std::vector<short> out = device.listen([&] { shotgun.fire(); }, 12, &first);
    ASSERT_NE(first, std::string::npos);
    expectOnce(out, first, blast);

    size_t blastEnd = lastSound(out) + 1;
    out = device.listen([&] { shotgun.reload(); }, 8, &first, blastEnd);
    ASSERT_NE(first, std::string::npos);
    expectOnce(out, first, pump);

    // A reload with a full clip is refused in silence; the pistol's shot
    // makes no sound.
    size_t start = 0;
    out = device.listenForNothing(
        [&] {
            pistol.reload();
            pistol.fire();
        },
        4, &start);
    EXPECT_EQ(pistol.getRounds(), 11);
    EXPECT_EQ(firstSound(out, start / 2), std::string::npos);
}
