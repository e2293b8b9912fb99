#pragma once

#include <optional>
#include <string>

// Looks at and drives top-level windows on the test display.

// Waits up to timeoutMs for a window whose title is exactly title.
std::optional<unsigned long> findWindow(const std::string& title, int timeoutMs);

// Asks the window to close as a window manager would: a WM_DELETE_WINDOW
// client message.
bool sendWmDelete(unsigned long window);

struct WindowPixels {
    int width = 0;
    int height = 0;
    unsigned long nonBlack = 0; // pixels whose colour is not pure black
};

// Reads back the window's contents.
std::optional<WindowPixels> grabWindow(unsigned long window);
