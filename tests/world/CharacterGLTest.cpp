// The survivor: how requests move it, which gun it holds and what it draws.

#include "support/Frame.h"
#include "support/GameDirGLTest.h"

#include "assets/MD2Model.h"
#include "combat/Weapon.h"
#include "core/Camera.h"
#include "world/Character.h"

#include <SDL_opengl.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

using CharacterGLTest = GameDirGLTest;

} // namespace

TEST_F(CharacterGLTest, RequestsMoveItForOneFrameRelativeToItsHeading) {
    struct Case {
        const char* what;
        float heading;
        std::function<void(Character&)> request;
        float vx, vz;
    };
    const float d = 70.0f;
    const std::vector<Case> cases = {
        {"W and A at heading 0", 0.0f, [](Character& c) { c.moveForward(), c.strafeLeft(); }, -d,
         -d},
        {"S at heading 0", 0.0f, [](Character& c) { c.moveBackward(); }, 0.0f, d},
        {"D at heading 0", 0.0f, [](Character& c) { c.strafeRight(); }, d, 0.0f},
        {"W at heading 90", 90.0f, [](Character& c) { c.moveForward(); }, d, 0.0f},
        {"D at heading 90", 90.0f, [](Character& c) { c.strafeRight(); }, 0.0f, d},
        {"W then S: the later wins", 0.0f, [](Character& c) { c.moveForward(), c.moveBackward(); },
         0.0f, d},
        {"D then A: the later wins", 0.0f, [](Character& c) { c.strafeRight(), c.strafeLeft(); },
         -d, 0.0f},
        {"nothing", 0.0f, [](Character&) {}, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Character figure(Vector2(10.0f, -30.0f));
        figure.setHeading(c.heading);
        // A frame of walking first: standing still must not keep that speed.
        figure.moveForward();
        figure.update(0.1f);
        Vector2 before = figure.getPosition();
        c.request(figure);
        figure.update(0.5f);
        EXPECT_NEAR(figure.getVelocity().x, c.vx, 1e-3f);
        EXPECT_NEAR(figure.getVelocity().y, c.vz, 1e-3f);
        EXPECT_NEAR(figure.getPosition().x, before.x + c.vx * 0.5f, 1e-3f);
        EXPECT_NEAR(figure.getPosition().y, before.y + c.vz * 0.5f, 1e-3f);
        EXPECT_EQ(figure.getMovement(), 0) << "a request lasts one frame";
    }
}

TEST_F(CharacterGLTest, WeaponsCycleBothWaysAndOnlyTheOneInHandRuns) {
    Character figure(Vector2(0.0f, -30.0f));
    EXPECT_EQ(figure.getWeaponName(), "Pistol");
    EXPECT_EQ(figure.getRounds(), 12);
    EXPECT_EQ(figure.getClips(), 3);
    figure.nextWeapon();
    EXPECT_EQ(figure.getWeaponIndex(), 1u);
    EXPECT_EQ(figure.getWeaponName(), "Shotgun");
    EXPECT_EQ(figure.getRounds(), 6);
    figure.nextWeapon();
    EXPECT_EQ(figure.getWeaponIndex(), 0u);
    figure.previousWeapon();
    EXPECT_EQ(figure.getWeaponIndex(), 1u);
    figure.previousWeapon();
    EXPECT_EQ(figure.getWeaponIndex(), 0u);

    // With the pistol in hand only the pistol follows and counts down.
    figure.setHeading(45.0f);
    figure.moveForward();
    figure.update(0.25f);
    Weapon* pistol = figure.getWeapon(0);
    Weapon* shotgun = figure.getWeapon(1);
    EXPECT_EQ(pistol->getPosition().x, figure.getPosition().x);
    EXPECT_EQ(pistol->getPosition().y, figure.getPosition().y);
    EXPECT_EQ(pistol->getHeading(), 45.0f);
    EXPECT_FLOAT_EQ(pistol->getCooldown(), 0.05f);
    EXPECT_EQ(shotgun->getPosition().y, -30.0f);
    EXPECT_FLOAT_EQ(shotgun->getCooldown(), 0.7f) << "a gun in the holster keeps its timers";

    // The shotgun needs 0.7 s of being in hand before its first shot.
    figure.nextWeapon();
    for (int frame = 0; frame < 6; ++frame) {
        figure.fire();
        figure.update(0.1f);
    }
    EXPECT_EQ(figure.getRounds(), 6) << "fired after 0.6 s in hand";
    figure.update(0.1f);
    figure.fire();
    EXPECT_EQ(figure.getRounds(), 5);
}

TEST_F(CharacterGLTest, PickUpsAddAClipToTheirOwnGunWhicheverIsInHand) {
    Character figure(Vector2(0.0f, 0.0f));
    figure.nextWeapon();
    figure.collideWithPistolPowerup(nullptr);
    EXPECT_EQ(figure.getWeapon(0)->getClips(), 4);
    EXPECT_EQ(figure.getWeapon(1)->getClips(), 3);
    figure.previousWeapon();
    figure.collideWithShotgunPowerup(nullptr);
    figure.collideWithShotgunPowerup(nullptr);
    EXPECT_EQ(figure.getWeapon(0)->getClips(), 4);
    EXPECT_EQ(figure.getWeapon(1)->getClips(), 5);
    EXPECT_EQ(figure.getMaxHealth(), 100.0f);
    EXPECT_EQ(figure.getRadius(), 14.0f);
    EXPECT_TRUE(figure.isMovable());
    EXPECT_TRUE(figure.isSolid());
    EXPECT_EQ(figure.getPitch(), 35.0f);
    // Used-up health marks the figure at once; the round's end takes over.
    figure.damage(200.0f);
    EXPECT_TRUE(figure.isDestroyed());
}

TEST_F(CharacterGLTest, DrawsItselfAndThePistolAtItsPlaceAndHeading) {
    // Looking down at the figure from the camera's usual place behind it.
    Camera camera;
    auto render = [&](const std::function<void()>& draw) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        useGamePerspective();
        glRotatef(35.0f, 1.0f, 0.0f, 0.0f);
        glTranslatef(-40.0f, -120.0f, -(-30.0f + 90.0f));
        draw();
        return readFrame().rgb;
    };
    Character figure(Vector2(40.0f, -30.0f));
    figure.setHeading(30.0f);
    figure.update(0.0f); // the pistol takes the figure's place
    std::vector<unsigned char> whole = render([&] { figure.draw(&camera); });

    // The same picture from the figure's model and the pistol's, each drawn
    // as a plain object at the figure's place and heading.
    std::vector<unsigned char> parts = render([&] {
        figure.Object::draw(&camera);
        figure.getWeapon(0)->draw(&camera);
    });
    EXPECT_EQ(whole, parts);
    std::vector<unsigned char> bodyOnly = render([&] { figure.Object::draw(&camera); });
    EXPECT_NE(whole, bodyOnly) << "the pistol was not drawn";

    // Something is drawn where the figure stands, nothing far to the side.
    auto lit = [&](const std::vector<unsigned char>& rgb, int x0, int x1) {
        int n = 0;
        for (int y = 0; y < 768; ++y) {
            for (int x = x0; x < x1; ++x) {
                const unsigned char* p = &rgb[(y * 1024 + x) * 3];
                n += p[0] + p[1] + p[2] > 0;
            }
        }
        return n;
    };
    EXPECT_GT(lit(whole, 412, 612), 2000);
    EXPECT_EQ(lit(whole, 0, 200), 0);
    EXPECT_EQ(lit(whole, 824, 1024), 0);
}
