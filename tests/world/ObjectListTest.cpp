#include "WorldProbe.h"

#include "core/Camera.h"
#include "world/ObjectList.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class ObjectListTest : public ::testing::Test {
public:
    void TearDown() override { list.clear(); }

    WorldProbe* add(const std::string& name, Vector2 at = Vector2(), float radius = 0.0f) {
        auto* p = new WorldProbe(name, at, radius, false, false, &journal);
        list.add(p);
        return p;
    }

    std::vector<std::string> take() {
        std::vector<std::string> j;
        j.swap(journal);
        return j;
    }

    std::vector<std::string> journal; // outlives the list's objects
    ObjectList list;
};

} // namespace

TEST_F(ObjectListTest, EmptyListDoesNothing) {
    Camera camera;
    list.update(0.1f);
    list.draw(&camera);
    list.clear();
    EXPECT_TRUE(list.getObjects().empty());
    EXPECT_TRUE(journal.empty());
}

TEST_F(ObjectListTest, UpdatesInOrderAndReachesObjectsAddedDuringTheWalk) {
    WorldProbe* a = add("a");
    add("b");
    a->onUpdate = [this, a] {
        a->onUpdate = nullptr;
        add("spawned");
    };
    list.update(0.1f);
    EXPECT_EQ(take(), (std::vector<std::string>{"update a", "update b", "update spawned"}));
}

TEST_F(ObjectListTest, AdjacentObjectsDestroyedTogetherGoInOneWalk) {
    WorldProbe* a = add("a");
    WorldProbe* b = add("b");
    WorldProbe* c = add("c");
    add("d");
    b->destroy(0.0f);
    c->destroy(0.0f);
    a->destroy(0.0f);
    list.update(0.1f);
    EXPECT_EQ(take(), (std::vector<std::string>{"delete a", "delete b", "delete c", "update d"}));
    EXPECT_EQ(list.getObjects().size(), 1u);
}

TEST_F(ObjectListTest, RemovalTimingDependsOnTheStepThatScheduledIt) {
    // Scheduled by a reaction in the collision step: gone before that
    // frame's update walk.
    auto* hit = new WorldProbe("hit", Vector2(0.0f, 0.0f), 1.0f, false, false, &journal);
    auto* target = new WorldProbe("target", Vector2(0.5f, 0.0f), 1.0f, false, false, &journal);
    list.add(hit);
    list.add(target);
    list.update(0.1f);
    // The pair touched (both reacted); nothing was scheduled yet.
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "collide hit with target"), 1);
    take();

    // Scheduled during the update walk: still there for the next frame's
    // collisions, deleted in that frame's deletion step.
    target->onUpdate = [target] { target->destroy(0.0f); };
    list.update(0.1f);
    EXPECT_EQ(list.getObjects().size(), 2u);
    take();
    list.update(0.1f);
    std::vector<std::string> j = take();
    EXPECT_EQ(j.front(), "collide hit with target");
    EXPECT_NE(std::find(j.begin(), j.end(), "delete target"), j.end());
    EXPECT_EQ(std::find(j.begin(), j.end(), "update target"), j.end());
    EXPECT_EQ(list.getObjects().size(), 1u);

    // Scheduled with a delay: updated until its own updates run the timer
    // out, deleted in the update after that.
    hit->destroy(0.25f);
    list.update(0.1f);
    list.update(0.1f);
    list.update(0.1f); // timer now below zero
    EXPECT_EQ(take(), (std::vector<std::string>{"update hit", "update hit", "update hit"}));
    list.update(0.1f);
    EXPECT_EQ(take(), (std::vector<std::string>{"delete hit"}));
    EXPECT_TRUE(list.getObjects().empty());
}

namespace {
// Schedules its partner's removal on contact, as a projectile does.
class Striker : public WorldProbe {
public:
    using WorldProbe::WorldProbe;
    void collide(Object* other) override {
        WorldProbe::collide(other);
        other->destroy(0.0f);
    }
};
} // namespace

TEST_F(ObjectListTest, ObjectScheduledInTheCollisionStepMissesThatFramesUpdate) {
    list.add(new Striker("striker", Vector2(), 1.0f, false, false, &journal));
    add("victim", Vector2(0.5f, 0.0f), 1.0f);
    list.update(0.1f);
    std::vector<std::string> j = take();
    EXPECT_EQ(
        j, (std::vector<std::string>{"collide striker with victim", "collide victim with striker",
                                     "delete victim", "update striker"}));
}

TEST_F(ObjectListTest, ObjectAddedDuringCollisionsIsUpdatedButNotCollidedThatFrame) {
    class Spawner : public WorldProbe {
    public:
        Spawner(ObjectListTest* test, std::vector<std::string>* j)
            : WorldProbe("spawner", Vector2(), 5.0f, false, false, j), test(test) {}
        void collide(Object* other) override {
            WorldProbe::collide(other);
            if (!done) {
                done = true;
                test->add("drop", Vector2(), 5.0f);
            }
        }
        ObjectListTest* test;
        bool done = false;
    };
    list.add(new Spawner(this, &journal));
    add("partner", Vector2(), 5.0f);
    list.update(0.1f);
    EXPECT_EQ(take(), (std::vector<std::string>{"collide spawner with partner",
                                                "collide partner with spawner", "update spawner",
                                                "update partner", "update drop"}));
}

TEST_F(ObjectListTest, DrawsOnlyWhatTheCameraBandHolds) {
    Camera camera; // at (0, 0) looking along (0, -1)
    add("near", Vector2(0.0f, -100.0f), 14.0f);
    add("behind", Vector2(0.0f, 10.0f));
    add("edge", Vector2(0.0f, -437.0f), 14.0f);
    add("far-side", Vector2(900.0f, -200.0f));
    list.draw(&camera);
    EXPECT_EQ(take(), (std::vector<std::string>{"draw near", "draw far-side"}));
    camera.setCulling(false);
    list.draw(&camera);
    EXPECT_EQ(take().size(), 4u);
}

TEST_F(ObjectListTest, ClearDeletesInOrderAndForgetsEverything) {
    Camera camera;
    add("a", Vector2(0.0f, -50.0f));
    add("b", Vector2(0.0f, -60.0f));
    list.clear();
    EXPECT_EQ(take(), (std::vector<std::string>{"delete a", "delete b"}));
    list.update(0.1f);
    list.draw(&camera);
    EXPECT_TRUE(journal.empty());
}
