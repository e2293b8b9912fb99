#pragma once

#include <string>
#include <vector>

// The whole 1024x768 window read back from OpenGL.
struct Frame {
    std::vector<unsigned char> rgb; // bottom row first, as OpenGL reads

    const unsigned char* at(int x, int y) const { return &rgb[(y * 1024 + x) * 3]; }
    int brightness(int x, int y) const { return at(x, y)[0] + at(x, y)[1] + at(x, y)[2]; }

    // Keeps the frame as a picture for people to look at: frame.ppm, top row
    // first, in a fresh scratch folder of that name.
    void save(const std::string& name) const;
};

// Finishes drawing and reads the window back.
Frame readFrame();
