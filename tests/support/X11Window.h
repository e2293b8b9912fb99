#pragma once

#include <optional>
#include <string>
#include <vector>

// Looks at and drives top-level windows on the test display.

// Waits up to timeoutMs for a window whose title is exactly title.
std::optional<unsigned long> findWindow(const std::string& title, int timeoutMs);

// Asks the window to close as a window manager would: a WM_DELETE_WINDOW
// client message.
bool sendWmDelete(unsigned long window);

// Holds a key down for a moment, as a person pressing it does. The game looks
// at held keys once a frame, so a press and release sent back to back can
// fall between two frames on a busy machine. True when the press was sent.
bool pressKey(unsigned long window, const std::string& key, int holdMs = 300);

// A small window of its own that takes the keyboard focus from whatever had
// it, as switching to another program does; it goes when this object does.
class FocusThief {
public:
    FocusThief();
    ~FocusThief();
    FocusThief(const FocusThief&) = delete;
    FocusThief& operator=(const FocusThief&) = delete;
    // The focus was taken.
    bool took() const { return taken; }

private:
    struct _XDisplay* display = nullptr;
    unsigned long window = 0;
    bool taken = false;
};

class ChildProcess;

// Presses Escape in the game's window until the game ends, or for up to
// timeoutMs: however slow its frames, one press comes while it looks. The
// game's exit status, if it ended.
std::optional<int> quitWithEscape(ChildProcess& game, unsigned long window, int timeoutMs = 60000);

struct WindowPixels {
    int width = 0;
    int height = 0;
    unsigned long nonBlack = 0;     // pixels whose colour is not pure black
    std::vector<unsigned long> rgb; // 0xRRGGBB, top row first

    unsigned long at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// Reads back the window's contents.
std::optional<WindowPixels> grabWindow(unsigned long window);
