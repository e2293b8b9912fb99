#include "assets/MD2Animation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> names(const std::string& base, int from, int to, int width = 1) {
    std::vector<std::string> out;
    for (int i = from; i <= to; ++i) {
        std::string n = std::to_string(i);
        out.push_back(base + std::string(width > int(n.size()) ? width - n.size() : 0, '0') + n);
    }
    return out;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void expectRange(const MD2Animation& a, const std::string& name, int start, int end) {
    auto it = a.getAnimations().find(name);
    ASSERT_NE(it, a.getAnimations().end()) << name;
    EXPECT_EQ(it->second.start, start) << name;
    EXPECT_EQ(it->second.end, end) << name;
}

// One game frame as the owner runs it: update, then draw.
void frame(MD2Animation& a, float dt) {
    a.update(dt);
    a.advance();
}

} // namespace

TEST(MD2AnimationTest, NamesAreCutAtTheFirstDigit) {
    EXPECT_EQ(MD2Animation::animationName("stand01"), "stand");
    EXPECT_EQ(MD2Animation::animationName("run1"), "run");
    EXPECT_EQ(MD2Animation::animationName("death101"), "death1");
    EXPECT_EQ(MD2Animation::animationName("pain301"), "pain3");
    EXPECT_EQ(MD2Animation::animationName("walk001"), "walk");
    EXPECT_EQ(MD2Animation::animationName("crattack"), "crattack");
    EXPECT_EQ(MD2Animation::animationName("ab"), "ab");
    EXPECT_EQ(MD2Animation::animationName("12"), "");
    EXPECT_EQ(MD2Animation::animationName(""), "");
}

TEST(MD2AnimationTest, TablesFromFrameNames) {
    MD2Animation runStand(names("run", 1, 6) + names("stand", 1, 10, 2));
    EXPECT_EQ(runStand.getAnimations().size(), 2u);
    expectRange(runStand, "run", 0, 5);
    expectRange(runStand, "stand", 6, 15);
    EXPECT_EQ(runStand.getCurrentAnimationName(), "run");
    EXPECT_EQ(runStand.getCurrentAnimation(), &runStand.getAnimations().at("run"));

    MD2Animation death({"death101", "death102", "death201"});
    expectRange(death, "death1", 0, 1);
    expectRange(death, "death2", 2, 2);

    // A name that comes back keeps its first run.
    MD2Animation again({"a1", "a2", "b1", "a3"});
    EXPECT_EQ(again.getAnimations().size(), 2u);
    expectRange(again, "a", 0, 1);
    expectRange(again, "b", 2, 2);

    MD2Animation none({});
    EXPECT_EQ(none.getAnimations().size(), 1u);
    expectRange(none, "", 0, 0);
    EXPECT_EQ(none.getCurrentAnimationName(), "");
}

TEST(MD2AnimationTest, StepsWrapAtTheEndOfTheRange) {
    MD2Animation a(names("idle", 10, 49) + names("walk", 40, 45));
    a.setAnimation("walk");
    EXPECT_EQ(a.getCurrentFrame(), 0); // nothing moves until the next update
    std::vector<int> current, next;
    frame(a, 1.0f); // brought into the range, blend 0 to 1
    EXPECT_EQ(a.getCurrentFrame(), 40);
    EXPECT_EQ(a.getNextFrame(), 0); // only a step sets it
    for (int i = 0; i < 6; ++i) {
        frame(a, 1.0f);
        current.push_back(a.getCurrentFrame());
        next.push_back(a.getNextFrame());
    }
    EXPECT_EQ(current, (std::vector<int>{41, 42, 43, 44, 40, 41}));
    EXPECT_EQ(next, (std::vector<int>{42, 43, 44, 40, 41, 42}));
}

TEST(MD2AnimationTest, OneFrameRangeStaysPut) {
    MD2Animation a(names("x", 1, 7) + std::vector<std::string>{"pose"});
    a.setAnimation("pose");
    for (int i = 0; i < 4; ++i) {
        frame(a, 1.0f);
        EXPECT_EQ(a.getCurrentFrame(), 7);
    }
    EXPECT_EQ(a.getNextFrame(), 7);
}

TEST(MD2AnimationTest, BlendAdvancesOnlyWhenDrawn) {
    MD2Animation a(names("run", 1, 6));
    for (int i = 0; i < 4; ++i) {
        a.update(0.25f);
        EXPECT_EQ(a.getCurrentFrame(), 0);
        a.advance();
    }
    EXPECT_EQ(a.getInterpolation(), 1.0f);
    EXPECT_EQ(a.getLastDt(), 0.25f);
    a.update(0.25f);
    EXPECT_EQ(a.getCurrentFrame(), 1);
    EXPECT_EQ(a.getNextFrame(), 2);
    EXPECT_EQ(a.getInterpolation(), 0.0f);
    // Updates without draws leave the blend where it is.
    for (int i = 0; i < 10; ++i) {
        a.update(0.5f);
    }
    EXPECT_EQ(a.getInterpolation(), 0.0f);
    EXPECT_EQ(a.getCurrentFrame(), 1);
    // An excess over 1 is dropped, not carried.
    a.update(1.5f);
    a.advance();
    a.update(1.5f);
    EXPECT_EQ(a.getInterpolation(), 0.0f);
    EXPECT_EQ(a.getCurrentFrame(), 2);
}

TEST(MD2AnimationTest, UnknownAnimationChangesNothing) {
    MD2Animation a(names("run", 1, 6) + names("stand", 1, 10, 2));
    frame(a, 0.75f);
    frame(a, 0.75f);
    frame(a, 0.75f);
    const Md2Anim_t* before = a.getCurrentAnimation();
    int current = a.getCurrentFrame(), next = a.getNextFrame();
    float blend = a.getInterpolation();
    a.setAnimation("fly");
    a.setAnimation("");
    EXPECT_EQ(a.getCurrentAnimation(), before);
    EXPECT_EQ(a.getCurrentAnimationName(), "run");
    EXPECT_EQ(a.getCurrentFrame(), current);
    EXPECT_EQ(a.getNextFrame(), next);
    EXPECT_EQ(a.getInterpolation(), blend);
    // A known name switches the range but keeps frames and blend.
    a.setAnimation("stand");
    EXPECT_EQ(a.getCurrentAnimationName(), "stand");
    EXPECT_EQ(a.getCurrentFrame(), current);
    EXPECT_EQ(a.getInterpolation(), blend);
}
