// The guns and their shots: cadence, clips, reloads, the shotgun's fan, the
// flight of a projectile and what it looks like.

#include "support/Frame.h"
#include "support/GameDirGLTest.h"

#include "combat/Pistol.h"
#include "combat/PistolProjectile.h"
#include "combat/Shotgun.h"
#include "combat/ShotgunProjectile.h"
#include "core/Camera.h"

#include <SDL_opengl.h>

#include <cmath>
#include <vector>

namespace {

using WeaponGLTest = GameDirGLTest;
using ProjectileGLTest = GameDirGLTest;

// The heading a projectile flies along, from its velocity.
float flightHeading(Projectile* p) {
    double h = std::atan2(p->getVelocity().x, -p->getVelocity().y) * 180.0 / 3.14159265358979;
    return static_cast<float>(h < 0.0 ? h + 360.0 : h);
}

std::vector<Projectile*> projectiles() {
    std::vector<Projectile*> found;
    for (Object* object : Singleton<ObjectList>::getInstance()->getObjects()) {
        if (auto* p = dynamic_cast<Projectile*>(object)) {
            found.push_back(p);
        }
    }
    return found;
}

} // namespace

TEST_F(WeaponGLTest, AHeldTriggerFiresThePistolEvery18Or19FramesUntilTheClipIsEmpty) {
    Pistol pistol(Vector2(0.0f, 0.0f));
    std::vector<int> shotFrames;
    for (int frame = 0; frame < 600; ++frame) {
        int before = pistol.getRounds();
        pistol.fire();
        if (pistol.getRounds() < before) {
            shotFrames.push_back(frame);
        }
        pistol.update(1.0f / 60.0f);
    }
    ASSERT_EQ(shotFrames.size(), 12u);
    EXPECT_EQ(count<PistolProjectile>(), 12);
    // A new gun is not ready at once: its pause starts full.
    EXPECT_GE(shotFrames[0], 18);
    EXPECT_LE(shotFrames[0], 19);
    for (size_t i = 1; i < shotFrames.size(); ++i) {
        int gap = shotFrames[i] - shotFrames[i - 1];
        EXPECT_TRUE(gap == 18 || gap == 19) << "shot " << i << " after " << gap << " frames";
    }
    EXPECT_EQ(pistol.getRounds(), 0);
    EXPECT_EQ(pistol.getClips(), 3) << "an empty clip is not reloaded by itself";
}

TEST_F(WeaponGLTest, ReloadsOnlyWithRoomAndASpareClipAndFinishOneUpdateLate) {
    struct Case {
        const char* what;
        int shots;     // rounds fired before the reload
        int clipsLeft; // spare clips taken away first
        bool starts;
    };
    const Case cases[] = {{"11 of 12 left", 1, 0, true},
                          {"a full clip", 0, 0, false},
                          {"no spare clip", 1, 3, false},
                          {"an empty clip", 12, 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pistol pistol(Vector2(0.0f, 0.0f));
        for (int i = 0; i < c.clipsLeft; ++i) {
            pistol.update(1.0f);
            pistol.fire();
            pistol.reload();
            pistol.update(1.0f); // the timer runs out
            pistol.update(1.0f); // and the clip is full one update later
        }
        ASSERT_EQ(pistol.getClips(), 3 - c.clipsLeft);
        for (int i = 0; i < c.shots; ++i) {
            pistol.update(1.0f);
            pistol.fire();
        }
        int rounds = pistol.getRounds();
        int clips = pistol.getClips();
        pistol.reload();
        EXPECT_EQ(pistol.isReloading(), c.starts);
        EXPECT_EQ(pistol.getClips(), c.starts ? clips - 1 : clips);
        if (!c.starts) {
            EXPECT_EQ(pistol.getRounds(), rounds);
            continue;
        }
        // No shot and no second reload while it runs.
        pistol.update(0.2f);
        pistol.fire();
        pistol.reload();
        EXPECT_EQ(pistol.getRounds(), rounds);
        EXPECT_EQ(pistol.getClips(), clips - 1);
        pistol.update(0.2f); // 0.3 s reached: the timer is out ...
        EXPECT_EQ(pistol.getRounds(), rounds);
        EXPECT_TRUE(pistol.isReloading());
        pistol.update(0.01f); // ... and the next update refills the clip
        EXPECT_EQ(pistol.getRounds(), 12);
        EXPECT_FALSE(pistol.isReloading());
    }
}

TEST_F(WeaponGLTest, TheShotgunFansFivePelletsOverTwelveDegrees) {
    Shotgun shotgun(Vector2(5.0f, -7.0f));
    shotgun.setHeading(90.0f);
    shotgun.update(1.0f); // 0.3 s more than the pause
    shotgun.fire();
    EXPECT_EQ(shotgun.getRounds(), 5);
    std::vector<Projectile*> pellets = projectiles();
    ASSERT_EQ(pellets.size(), 5u);
    const float headings[] = {84.0f, 87.0f, 90.0f, 93.0f, 96.0f};
    for (size_t i = 0; i < 5; ++i) {
        ASSERT_NE(dynamic_cast<ShotgunProjectile*>(pellets[i]), nullptr);
        EXPECT_NEAR(flightHeading(pellets[i]), headings[i], 1e-3f);
        EXPECT_NEAR(pellets[i]->getVelocity().length(), 1000.0f, 1e-2f);
        EXPECT_EQ(pellets[i]->getPosition().x, 5.0f);
        EXPECT_EQ(pellets[i]->getPosition().y, -7.0f);
        EXPECT_EQ(pellets[i]->getDamage(), 20.0f);
    }
    // The next blast waits the whole 0.7 s: the time the trigger came late
    // is not carried over.
    shotgun.update(0.69f);
    shotgun.fire();
    EXPECT_EQ(shotgun.getRounds(), 5);
    shotgun.update(0.02f);
    shotgun.fire();
    EXPECT_EQ(shotgun.getRounds(), 4);
}

TEST_F(ProjectileGLTest, APistolShotFliesOneSecondAndSlidesAlongTheFence) {
    auto* shot = new PistolProjectile(Vector2(0.0f, -30.0f), 0.0f);
    objects()->add(shot);
    EXPECT_FALSE(shot->isSolid());
    EXPECT_EQ(shot->getRadius(), 0.1f);
    EXPECT_NEAR(shot->getVelocity().x, 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(shot->getVelocity().y, -1200.0f);
    objects()->update(0.25f);
    EXPECT_FLOAT_EQ(shot->getPosition().y, -330.0f);

    // Heading 80 from near the fence: each pass puts it back on the edge,
    // from where it flies on along it.
    auto* slider = new PistolProjectile(Vector2(380.0f, 0.0f), 80.0f);
    objects()->add(slider);
    float lastZ = 0.0f;
    for (int i = 0; i < 3; ++i) {
        objects()->update(0.25f);
        EXPECT_FALSE(shot->isMarkedForDestruction()) << "marked after " << (i + 2) * 0.25 << " s";
        if (i > 0) {
            EXPECT_FLOAT_EQ(slider->getLastPosition().x, 399.9f);
            EXPECT_LT(slider->getLastPosition().y, lastZ - 50.0f);
            lastZ = slider->getLastPosition().y;
        }
    }
    // One second exactly is not yet past its lifetime.
    objects()->update(0.01f);
    EXPECT_TRUE(shot->isMarkedForDestruction());
    EXPECT_EQ(count<PistolProjectile>(), 2);
    objects()->update(0.01f);
    EXPECT_EQ(count<PistolProjectile>(), 1) << "the expired shot is removed in the next pass";
}

TEST_F(ProjectileGLTest, DrawsAYellowColumnTwentyTallAndRestoresTheState) {
    // Seen level from 100 units away, the column stands over its ground point.
    useGamePerspective();
    glTranslatef(0.0f, 0.0f, -100.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_FOG);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ShotgunProjectile pellet(Vector2(0.0f, 0.0f), 30.0f);
    Camera camera;
    pellet.draw(&camera);

    std::vector<unsigned char> rgb = readFrame().rgb;
    int top = -1, bottom = 768, left = 1024, right = -1;
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const unsigned char* p = &rgb[(y * 1024 + x) * 3];
            if (p[0] + p[1] + p[2] == 0) {
                continue;
            }
            EXPECT_EQ(p[0], 255);
            EXPECT_EQ(p[1], 255);
            EXPECT_EQ(p[2], 0);
            top = std::max(top, y);
            bottom = std::min(bottom, y);
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    // 20 units at 100 away under a 45-degree view span 768 * 20 / 82.8 rows.
    double span = 768.0 * 20.0 / (2.0 * 100.0 * std::tan(22.5 * 3.14159265358979 / 180.0));
    EXPECT_NEAR(top - bottom + 1, span, 3.0);
    EXPECT_NEAR((top + bottom) / 2.0, 384.0, 2.0);
    EXPECT_NEAR((left + right) / 2.0, 512.0, 2.0);
    EXPECT_LE(right - left, 3) << "a thin column";
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}
