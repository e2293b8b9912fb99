#include "WorldProbe.h"

#include <gtest/gtest.h>

TEST(DestroyableTest, ALaterCallCanOnlyBringRemovalEarlier) {
    WorldProbe a("a", Vector2());
    EXPECT_FALSE(a.isMarkedForDestruction());
    a.destroy(2.0f);
    EXPECT_TRUE(a.isMarkedForDestruction());
    EXPECT_FALSE(a.isDestroyed());
    a.destroy(5.0f); // later: ignored
    a.update(1.5f);
    EXPECT_FALSE(a.isDestroyed());
    a.update(0.5f);
    EXPECT_TRUE(a.isDestroyed()); // exactly 2 s

    WorldProbe b("b", Vector2());
    b.destroy(5.0f);
    b.destroy(2.0f); // earlier: taken
    b.update(2.0f);
    EXPECT_TRUE(b.isDestroyed());

    WorldProbe c("c", Vector2());
    c.destroy(0.0f);
    EXPECT_TRUE(c.isDestroyed());
}

TEST(DestroyableTest, TimerCountsOnlyOnceScheduledAndMayEndBelowZero) {
    WorldProbe a("a", Vector2());
    a.update(100.0f); // not scheduled: nothing counts down
    EXPECT_FALSE(a.isDestroyed());
    a.destroy(0.25f);
    EXPECT_FALSE(a.isDestroyed());
    a.update(1.0f);
    EXPECT_TRUE(a.isDestroyed());
    // Below zero now; a new delay is larger than the timer and so ignored.
    a.destroy(3.0f);
    EXPECT_TRUE(a.isDestroyed());
}

TEST(VulnerableTest, SeventeenHitsOfSixUseUpAHundred) {
    WorldProbe figure("figure", Vector2());
    for (int i = 0; i < 16; ++i) {
        figure.damage(6.0f);
    }
    EXPECT_FLOAT_EQ(figure.getHealth(), 4.0f);
    EXPECT_FALSE(figure.isMarkedForDestruction());
    figure.damage(6.0f);
    EXPECT_FLOAT_EQ(figure.getHealth(), -2.0f);
    EXPECT_TRUE(figure.isDestroyed());
    EXPECT_FLOAT_EQ(figure.getMaxHealth(), 100.0f);
    // Health that is used up stays where it is.
    figure.damage(6.0f);
    EXPECT_FLOAT_EQ(figure.getHealth(), -2.0f);
}

namespace {
// Counts destroy() calls that reach the most derived class.
class CountingProbe : public WorldProbe {
public:
    CountingProbe() : WorldProbe("counting", Vector2()) {}
    void destroy(float delay) override {
        ++calls;
        lastDelay = delay;
        WorldProbe::destroy(delay);
    }
    int calls = 0;
    float lastDelay = -1.0f;
};
} // namespace

TEST(VulnerableTest, UsedUpHealthDestroysOnEveryCallThroughTheOverride) {
    CountingProbe p;
    p.damage(100.0f); // exactly zero counts as used up
    EXPECT_EQ(p.calls, 1);
    EXPECT_EQ(p.lastDelay, 0.0f);
    p.damage(0.0f); // nothing to take, but destroy runs again
    EXPECT_EQ(p.calls, 2);
    EXPECT_FLOAT_EQ(p.getHealth(), 0.0f);
}

TEST(VulnerableTest, NegativeDamageHeals) {
    WorldProbe p("p", Vector2());
    p.damage(-10.0f);
    EXPECT_FLOAT_EQ(p.getHealth(), 110.0f);
    EXPECT_FLOAT_EQ(p.getMaxHealth(), 100.0f);
}

TEST(MovingObjectTest, MovesByVelocityAndRemembersWhereItWas) {
    WorldProbe p("p", Vector2(1.0f, 2.0f));
    EXPECT_EQ(p.getLastPosition().x, 1.0f);
    EXPECT_EQ(p.getLastPosition().y, 2.0f);
    p.setVelocity(Vector2(10.0f, 0.0f));
    p.update(0.5f);
    EXPECT_EQ(p.getLastPosition().x, 1.0f);
    EXPECT_EQ(p.getPosition().x, 6.0f);
    EXPECT_EQ(p.getPosition().y, 2.0f);
    // A push moves the position only.
    p.move(Vector2(0.0f, 3.0f));
    EXPECT_EQ(p.getPosition().y, 5.0f);
    EXPECT_EQ(p.getLastPosition().y, 2.0f);
}

namespace {
class StillObject : public Object {
public:
    StillObject() : Object(Vector2(7.0f, 8.0f), Vector3(1.0f, 1.0f, 1.0f), 0.0f, "") {}
    void collide(Object*) override {}
};
} // namespace

TEST(ObjectTest, DefaultsOfAStillObject) {
    StillObject o;
    EXPECT_EQ(o.getModel(), nullptr);
    EXPECT_EQ(&o.getLastPosition(), &o.getPosition());
    EXPECT_EQ(o.getHeading(), 0.0f);
    EXPECT_TRUE(o.isSolid());
    EXPECT_FALSE(o.isMovable());
    EXPECT_EQ(o.getRadius(), 0.0f);
    o.destroy(1.0f);
    o.update(1.0f); // without a model, update only counts the timer
    EXPECT_TRUE(o.isDestroyed());
}
