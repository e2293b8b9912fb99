#pragma once

// The game's lens, for tests that look as the game does.
#include "app/Renderer.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

// Makes sure this process has a current OpenGL context: one 1024x768 SDL
// window, opened on first use and kept until the process ends. Returns false
// with a reason when no display or no OpenGL is to be had.
bool ensureGLContext(std::string* reason);

// Base of every test that draws: fails the test (never skips it) when there
// is no context, and starts each test from identity matrices, a full
// viewport and no pending OpenGL error.
class GLTest : public ::testing::Test {
protected:
    void SetUp() override;

    // The RGBA bytes at window pixel (x, y), y counted from the bottom.
    static std::array<unsigned char, 4> readPixel(int x, int y);
};
