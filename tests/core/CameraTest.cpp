#include "core/Camera.h"

#include <gtest/gtest.h>

namespace {

class CameraTest : public ::testing::Test {
protected:
    Camera camera; // at (0, 0), yaw 0: looking along (0, -1)
};

} // namespace

TEST_F(CameraTest, DefaultsAndEyePoint) {
    EXPECT_EQ(camera.getYaw(), 0.0f);
    EXPECT_EQ(camera.getPitch(), 0.0f);
    camera.setPosition(Vector2(5.0f, -7.0f));
    Vector3 eye = camera.getEyePosition();
    EXPECT_EQ(eye.x, 5.0f);
    EXPECT_EQ(eye.y, 120.0f);
    EXPECT_EQ(eye.z, -7.0f);
}

TEST_F(CameraTest, BandWithoutRadius) {
    EXPECT_TRUE(camera.isVisible(Vector2(0.0f, -100.0f), 0.0f));
    EXPECT_FALSE(camera.isVisible(Vector2(0.0f, 10.0f), 0.0f)); // behind
    EXPECT_TRUE(camera.isVisible(Vector2(0.0f, -450.0f), 0.0f));
    EXPECT_FALSE(camera.isVisible(Vector2(0.0f, -451.0f), 0.0f));
    EXPECT_TRUE(camera.isVisible(Vector2(1000.0f, -100.0f), 0.0f)); // no sideways limit
}

TEST_F(CameraTest, RadiusNarrowsTheBandAtBothEnds) {
    EXPECT_FALSE(camera.isVisible(Vector2(0.0f, -10.0f), 14.0f));
    EXPECT_TRUE(camera.isVisible(Vector2(0.0f, -14.0f), 14.0f));
    EXPECT_TRUE(camera.isVisible(Vector2(0.0f, -436.0f), 14.0f));
    EXPECT_FALSE(camera.isVisible(Vector2(0.0f, -437.0f), 14.0f));
}

TEST_F(CameraTest, BandFollowsPositionAndYaw) {
    camera.setPosition(Vector2(100.0f, 50.0f));
    camera.setYaw(90.0f); // looking along (1, 0)
    EXPECT_TRUE(camera.isVisible(Vector2(200.0f, 50.0f), 10.0f));
    EXPECT_TRUE(camera.isVisible(Vector2(200.0f, -3000.0f), 10.0f));
    EXPECT_FALSE(camera.isVisible(Vector2(50.0f, 50.0f), 0.0f));
    EXPECT_FALSE(camera.isVisible(Vector2(600.0f, 50.0f), 0.0f));
    EXPECT_FALSE(camera.isVisible(Vector2(99.0f, -100.0f), 0.0f)); // off to the side, just behind
}

TEST_F(CameraTest, CullingSwitchedOffShowsEverything) {
    camera.setCulling(false);
    EXPECT_TRUE(camera.isVisible(Vector2(0.0f, 10.0f), 0.0f));
    EXPECT_TRUE(camera.isVisible(Vector2(0.0f, -5000.0f), 50.0f));
}
