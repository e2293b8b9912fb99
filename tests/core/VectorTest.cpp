#include "core/Vector2.h"
#include "core/Vector3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>

TEST(Vector2Test, LengthNormalisationAndReach) {
    Vector2 v(3.0f, 4.0f);
    EXPECT_FLOAT_EQ(v.length(), 5.0f);
    Vector2 n = v.normalized();
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.y, 0.8f);
    EXPECT_TRUE(v.isWithin(5.0f)); // equality counts as within
    EXPECT_FALSE(v.isWithin(4.99f));
    EXPECT_EQ(v.x, 3.0f); // normalized() leaves its operand alone
}

TEST(Vector2Test, ArithmeticKeepsOperands) {
    Vector2 a(1.0f, 2.0f);
    Vector2 b(3.0f, 5.0f);
    Vector2 d = a - b;
    EXPECT_EQ(d.x, -2.0f);
    EXPECT_EQ(d.y, -3.0f);
    Vector2 s = a + b;
    EXPECT_EQ(s.x, 4.0f);
    EXPECT_EQ(s.y, 7.0f);
    Vector2 neg = -Vector2(1.0f, -2.0f);
    EXPECT_EQ(neg.x, -1.0f);
    EXPECT_EQ(neg.y, 2.0f);
    Vector2 half = a * 0.5f;
    EXPECT_EQ(half.x, 0.5f);
    EXPECT_EQ(half.y, 1.0f);
    EXPECT_EQ(a.x, 1.0f);
    EXPECT_EQ(b.y, 5.0f);
    EXPECT_FLOAT_EQ(dot(Vector2(1.0f, 2.0f), Vector2(3.0f, 4.0f)), 11.0f);
}

TEST(Vector2Test, CompoundAdditionChangesOnlyTheLeftOperand) {
    Vector2 a(1.0f, 2.0f);
    Vector2 b(10.0f, 20.0f);
    Vector2& r = (a += b);
    EXPECT_EQ(&r, &a);
    EXPECT_EQ(a.x, 11.0f);
    EXPECT_EQ(a.y, 22.0f);
    EXPECT_EQ(b.x, 10.0f);
    EXPECT_EQ(b.y, 20.0f);
}

TEST(Vector2Test, ConstructionAndAssignment) {
    const float xy[] = {7.5f, -1.25f};
    Vector2 fromArray(xy);
    EXPECT_EQ(fromArray.getX(), 7.5f);
    EXPECT_EQ(fromArray.getY(), -1.25f);
    Vector2 d;
    EXPECT_EQ(d.x, 0.0f);
    EXPECT_EQ(d.y, 0.0f);
    Vector2 c;
    Vector2& r = (c = fromArray);
    EXPECT_EQ(&r, &c);
    EXPECT_EQ(c.x, 7.5f);
    Vector2& self = c;
    c = self; // self-assignment through the by-value parameter is harmless
    EXPECT_EQ(c.y, -1.25f);
    EXPECT_TRUE(std::has_virtual_destructor<Vector2>::value);
}

TEST(Vector2Test, ArithmeticIsSinglePrecision) {
    // 1 + 1e-8 is not representable in float: the sum rounds back to 1.
    Vector2 a(1.0f, 16777216.0f);
    Vector2 b(1e-8f, 1.0f);
    Vector2 s = a + b;
    EXPECT_EQ(s.x, 1.0f);
    EXPECT_EQ(s.y, 16777216.0f);
}

TEST(Vector2Test, ZeroVectorNormalisesToNonNumbers) {
    Vector2 n = Vector2().normalized();
    EXPECT_TRUE(std::isnan(n.x));
    EXPECT_TRUE(std::isnan(n.y));
}

TEST(Vector3Test, ConstructionAndAssignment) {
    Vector3 d;
    EXPECT_EQ(d.x, 0.0f);
    EXPECT_EQ(d.y, 0.0f);
    EXPECT_EQ(d.z, 0.0f);
    const float xyz[] = {1.0f, 2.0f, 3.0f};
    Vector3 a(xyz);
    Vector3 b;
    Vector3& r = (b = a);
    EXPECT_EQ(&r, &b);
    EXPECT_EQ(b.getX(), 1.0f);
    EXPECT_EQ(b.getY(), 2.0f);
    EXPECT_EQ(b.getZ(), 3.0f);
    EXPECT_TRUE(std::has_virtual_destructor<Vector3>::value);
}
