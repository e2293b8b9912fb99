#include "WorldProbe.h"

#include "world/ObjectCollisionHandler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <list>

namespace {

class CollisionTest : public ::testing::Test {
protected:
    WorldProbe* make(const std::string& name, Vector2 at, float radius, bool solid, bool movable) {
        probes.emplace_back(new WorldProbe(name, at, radius, solid, movable, &journal));
        return probes.back().get();
    }
    void run() {
        std::list<Object*> objects;
        for (auto& p : probes) {
            objects.push_back(p.get());
        }
        handler.handle(objects);
    }

    // The journal outlives the probes, which write to it as they go.
    std::vector<std::string> journal;
    ObjectCollisionHandler handler;
    std::vector<std::unique_ptr<WorldProbe>> probes;
};

} // namespace

TEST_F(CollisionTest, FigureAndZombieFiftyApartPushEachOtherHalfTheOverlap) {
    WorldProbe* figure = make("figure", Vector2(0.0f, 0.0f), 14.0f, true, true);
    WorldProbe* zombie = make("zombie", Vector2(50.0f, 0.0f), 16.0f, true, true);
    run();
    // |d| = 25, overlap = 30 - 25 = 5: each moves 2.5 away from the other.
    EXPECT_FLOAT_EQ(figure->getPosition().x, -2.5f);
    EXPECT_FLOAT_EQ(zombie->getPosition().x, 52.5f);
    EXPECT_EQ(figure->getPosition().y, 0.0f);
    // lastPosition is left alone by the push.
    EXPECT_EQ(figure->getLastPosition().x, 0.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"collide figure with zombie",
                                                 "collide zombie with figure"}));
}

TEST_F(CollisionTest, SixtyApartDoNotTouch) {
    WorldProbe* figure = make("figure", Vector2(0.0f, 0.0f), 14.0f, true, true);
    make("zombie", Vector2(0.0f, 60.0f), 16.0f, true, true);
    run();
    EXPECT_EQ(figure->getPosition().y, 0.0f);
    EXPECT_TRUE(journal.empty());
}

TEST_F(CollisionTest, SeparationUsesMidMovePoints) {
    // The zombie moved from 80 to 50 this frame: its mid-move point is at 65,
    // so the pair is 32.5 apart in d terms and does not touch.
    WorldProbe* zombie = make("zombie", Vector2(80.0f, 0.0f), 16.0f, true, true);
    make("figure", Vector2(0.0f, 0.0f), 14.0f, true, true);
    zombie->setVelocity(Vector2(-60.0f, 0.0f));
    zombie->update(0.5f);
    ASSERT_EQ(zombie->getPosition().x, 50.0f);
    journal.clear();
    run();
    EXPECT_TRUE(journal.empty());
}

TEST_F(CollisionTest, OnlyTheMovablePartnerMovesByTheFullOverlap) {
    WorldProbe* figure = make("figure", Vector2(0.0f, 0.0f), 14.0f, true, true);
    WorldProbe* dying = make("dying", Vector2(0.0f, -50.0f), 16.0f, true, false);
    run();
    EXPECT_FLOAT_EQ(figure->getPosition().y, 5.0f);
    EXPECT_EQ(dying->getPosition().y, -50.0f);
    // And the same with the movable object second in the list.
    journal.clear();
    probes.clear();
    WorldProbe* still = make("still", Vector2(0.0f, 0.0f), 16.0f, true, false);
    WorldProbe* mover = make("mover", Vector2(50.0f, 0.0f), 14.0f, true, true);
    run();
    EXPECT_EQ(still->getPosition().x, 0.0f);
    EXPECT_FLOAT_EQ(mover->getPosition().x, 55.0f);
}

TEST_F(CollisionTest, ImmovableOrNonSolidPairsOnlyReact) {
    WorldProbe* tree = make("tree", Vector2(0.0f, 0.0f), 0.0f, true, false);
    WorldProbe* dying = make("dying", Vector2(10.0f, 0.0f), 16.0f, true, false);
    WorldProbe* pickup = make("pickup", Vector2(200.0f, 0.0f), 0.0f, false, false);
    WorldProbe* figure = make("figure", Vector2(220.0f, 0.0f), 14.0f, true, true);
    run();
    EXPECT_EQ(tree->getPosition().x, 0.0f);
    EXPECT_EQ(dying->getPosition().x, 10.0f);
    EXPECT_EQ(pickup->getPosition().x, 200.0f);
    EXPECT_EQ(figure->getPosition().x, 220.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{
                           "collide tree with dying", "collide dying with tree",
                           "collide pickup with figure", "collide figure with pickup"}));
}

TEST_F(CollisionTest, CoincidingCentresReactWithoutANonFinitePush) {
    WorldProbe* a = make("a", Vector2(5.0f, 5.0f), 14.0f, true, true);
    WorldProbe* b = make("b", Vector2(5.0f, 5.0f), 16.0f, true, true);
    run();
    EXPECT_EQ(a->getPosition().x, 5.0f);
    EXPECT_EQ(b->getPosition().y, 5.0f);
    EXPECT_TRUE(std::isfinite(a->getPosition().x) && std::isfinite(b->getPosition().x));
    EXPECT_EQ(journal.size(), 2u);
}

TEST_F(CollisionTest, PairsSeeThePositionsEarlierPairsLeft) {
    // a pushes b towards c; b only reaches c because of that push.
    make("a", Vector2(0.0f, 0.0f), 14.0f, true, false);
    WorldProbe* b = make("b", Vector2(40.0f, 0.0f), 14.0f, true, true);
    make("c", Vector2(96.0f, 0.0f), 14.0f, true, false);
    run();
    // a-b: |d| = 20, overlap 8, b to 48. b-c: d = (88 - 192) / 4, |d| = 26,
    // overlap 2, b back to 46. Unpushed, b-c would have been |d| = 28: no touch.
    EXPECT_FLOAT_EQ(b->getPosition().x, 46.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"collide a with b", "collide b with a",
                                                 "collide b with c", "collide c with b"}));
}

TEST_F(CollisionTest, BoundaryKeepsEveryObjectInsideTheSquare) {
    WorldProbe* east = make("east", Vector2(395.0f, 0.0f), 16.0f, false, false);
    WorldProbe* corner = make("corner", Vector2(-395.0f, 399.0f), 0.0f, false, false);
    WorldProbe* far = make("far", Vector2(-1000.0f, -1000.0f), 10.0f, false, false);
    WorldProbe* edge = make("edge", Vector2(0.0f, 386.0f), 14.0f, true, true);
    run();
    EXPECT_EQ(east->getPosition().x, 384.0f);
    EXPECT_EQ(east->getPosition().y, 0.0f);
    EXPECT_EQ(corner->getPosition().x, -395.0f);
    EXPECT_EQ(corner->getPosition().y, 399.0f);
    EXPECT_EQ(far->getPosition().x, -390.0f);
    EXPECT_EQ(far->getPosition().y, -390.0f);
    EXPECT_EQ(edge->getPosition().y, 386.0f); // exactly touching the edge stays
}

TEST_F(CollisionTest, SingleObjectOnlyMeetsTheBoundary) {
    WorldProbe* lone = make("lone", Vector2(0.0f, 500.0f), 14.0f, true, true);
    run();
    EXPECT_EQ(lone->getPosition().y, 386.0f);
    EXPECT_TRUE(journal.empty());
}
