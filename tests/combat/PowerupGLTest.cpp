// Pick-ups: how long they lie, what they give and to whom.

#include "support/GameDirGLTest.h"

#include "app/Globals.h"
#include "assets/MD2Model.h"
#include "combat/PistolPowerup.h"
#include "combat/ShotgunPowerup.h"
#include "combat/Weapon.h"
#include "world/Character.h"
#include "world/Zombie.h"

#include <functional>

namespace {

using PowerupGLTest = GameDirGLTest;

} // namespace

TEST_F(PowerupGLTest, UntouchedItSpinsInPlaceAndGoesAfterEightSeconds) {
    auto* pickUp = new PistolPowerup(Vector2(30.0f, 40.0f));
    objects()->add(pickUp);
    EXPECT_TRUE(pickUp->isMarkedForDestruction()) << "marked from birth";
    EXPECT_FALSE(pickUp->isSolid());
    EXPECT_EQ(pickUp->getRadius(), 0.0f);
    EXPECT_EQ(pickUp->getModel()->getAnimation().getCurrentAnimationName(), "stand");
    for (int i = 0; i < 16; ++i) {
        objects()->update(0.5f);
    }
    ASSERT_EQ(count<Powerup>(), 1);
    EXPECT_EQ(pickUp->getHeading(), 640.0f) << "80 degrees a second, not wrapped";
    objects()->update(0.5f);
    EXPECT_EQ(count<Powerup>(), 0);
}

TEST_F(PowerupGLTest, TouchedItGivesOneClipToItsOwnGunAndGoesInTheSameFrame) {
    struct Case {
        const char* what;
        std::function<Powerup*(const Vector2&)> make;
        unsigned int gunInHand;
        int pistolClips, shotgunClips;
    };
    const Case cases[] = {
        {"pistol clip, pistol in hand", [](const Vector2& at) { return new PistolPowerup(at); }, 0,
         4, 3},
        {"pistol clip, shotgun in hand", [](const Vector2& at) { return new PistolPowerup(at); }, 1,
         4, 3},
        {"shotgun clip, pistol in hand", [](const Vector2& at) { return new ShotgunPowerup(at); },
         0, 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* figure = new Character(Vector2(0.0f, 0.0f));
        objects()->add(figure);
        if (c.gunInHand == 1) {
            figure->nextWeapon();
        }
        objects()->add(c.make(Vector2(13.0f, 0.0f)));
        objects()->update(0.01f);
        EXPECT_EQ(count<Powerup>(), 0);
        objects()->update(0.01f);
        EXPECT_EQ(figure->getWeapon(0)->getClips(), c.pistolClips);
        EXPECT_EQ(figure->getWeapon(1)->getClips(), c.shotgunClips);
        EXPECT_EQ(figure->getPosition().x, 0.0f) << "a pick-up pushes nobody";
        objects()->clear();
    }
}

TEST_F(PowerupGLTest, ZombiesNeitherTakeNorArePushedByThem) {
    player = nullptr; // nothing to chase: the zombie stands
    auto* zombie = new Zombie(Vector2(0.0f, 0.0f));
    objects()->add(zombie);
    objects()->add(new ShotgunPowerup(Vector2(5.0f, 0.0f)));
    objects()->add(new PistolPowerup(Vector2(0.0f, -3.0f)));
    for (int i = 0; i < 3; ++i) {
        objects()->update(0.1f);
    }
    EXPECT_EQ(count<Powerup>(), 2);
    EXPECT_EQ(zombie->getPosition().x, 0.0f);
    EXPECT_EQ(zombie->getPosition().y, 0.0f);
}
