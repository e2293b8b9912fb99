#include "support/X11Window.h"

#include "support/Process.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <sstream>
#include <thread>

std::optional<unsigned long> findWindow(const std::string& title, int timeoutMs) {
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        int status = 0;
        std::string ids =
            runCommand("xdotool search --name '^" + title + "$' 2>/dev/null", &status);
        std::istringstream in(ids);
        unsigned long id = 0;
        if (status == 0 && (in >> id)) {
            return id;
        }
        auto waited = std::chrono::steady_clock::now() - start;
        if (waited > std::chrono::milliseconds(timeoutMs)) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool pressKey(unsigned long window, const std::string& key, int holdMs) {
    std::string id = std::to_string(window);
    int down = -1;
    runCommand("xdotool keydown --window " + id + " " + key, &down);
    std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
    // The key may have closed the window already (Escape does). Sent to the
    // window that has the focus, the press went through XTest and holds the
    // key down in the server until released there too, or the next game
    // would start with it held.
    int up = -1;
    runCommand("xdotool keyup --window " + id + " " + key + " 2>/dev/null", &up);
    if (up != 0) {
        runCommand("xdotool keyup " + key);
    }
    return down == 0;
}

std::optional<int> quitWithEscape(ChildProcess& game, unsigned long window, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        pressKey(window, "Escape");
        if (std::optional<int> status = game.waitForExit(1000)) {
            return status;
        }
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

FocusThief::FocusThief() : display(XOpenDisplay(nullptr)) {
    if (display == nullptr) {
        return;
    }
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 64, 64, 0,
                                 BlackPixel(display, screen), WhitePixel(display, screen));
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    // Only a window that is shown can take the focus.
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != MapNotify);
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    taken = focus == window;
}

FocusThief::~FocusThief() {
    if (display != nullptr) {
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
}

bool sendWmDelete(unsigned long window) {
    Display* dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) {
        return false;
    }
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    Status ok = XSendEvent(dpy, window, False, NoEventMask, &ev);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return ok != 0;
}

std::optional<WindowPixels> grabWindow(unsigned long window) {
    Display* dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) {
        return std::nullopt;
    }
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(dpy, window, &attrs)) {
        XCloseDisplay(dpy);
        return std::nullopt;
    }
    XImage* image = XGetImage(dpy, window, 0, 0, static_cast<unsigned>(attrs.width),
                              static_cast<unsigned>(attrs.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        XCloseDisplay(dpy);
        return std::nullopt;
    }
    WindowPixels result;
    result.width = attrs.width;
    result.height = attrs.height;
    result.rgb.reserve(static_cast<size_t>(attrs.width) * attrs.height);
    for (int y = 0; y < attrs.height; ++y) {
        for (int x = 0; x < attrs.width; ++x) {
            unsigned long pixel = XGetPixel(image, x, y) & 0xFFFFFF;
            result.rgb.push_back(pixel);
            if (pixel != 0) {
                ++result.nonBlack;
            }
        }
    }
    XDestroyImage(image);
    XCloseDisplay(dpy);
    return result;
}
