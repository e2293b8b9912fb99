#pragma once

#include "Math.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace content {

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
    Color() = default;
    Color(float r_, float g_, float b_, float a_ = 1) : r(r_), g(g_), b(b_), a(a_) {}
    Color operator*(float s) const { return {r * s, g * s, b * s, a}; }
    Color operator+(Color o) const { return {r + o.r, g + o.g, b + o.b, a}; }
};

// Colour from 0-255 components, as painters think of them.
inline Color rgb(int r, int g, int b) {
    return {r / 255.0f, g / 255.0f, b / 255.0f, 1};
}
inline Color mix(Color a, Color b, float t) {
    return {lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t), lerp(a.a, b.a, t)};
}
inline Color shade(Color c, float s) {
    return {c.r * s, c.g * s, c.b * s, c.a};
}

// A pixel rectangle of a texture atlas.
struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// A picture being painted, top row first; written out as TGA, or as PNG
// for the desktop's icon.
class Canvas {
public:
    Canvas(int width, int height, Color fill = Color());

    int width() const { return w; }
    int height() const { return h; }
    Color get(int x, int y) const { return pixels[size_t(y) * w + x]; }
    void set(int x, int y, Color c);
    // Alpha-blends c over the pixel with the given coverage.
    void blend(int x, int y, Color c, float coverage);

    // Paints every pixel of r with f(u, v), u and v running over (0, 1)
    // across and down the rectangle. pad extra pixels around it are painted
    // with the edge values so that mipmaps do not bleed neighbours in.
    void paint(const Rect& r, const std::function<Color(float u, float v)>& f, int pad = 2);

    // TGA bytes: uncompressed true colour, 24 bits, or 32 with alpha, rows
    // stored bottom row first.
    std::vector<uint8_t> tga(bool withAlpha) const;
    // PNG bytes: 8-bit RGBA, top row first, its data in stored (uncompressed)
    // deflate blocks; every reader takes those and they need no encoder.
    std::vector<uint8_t> png() const;

private:
    int w, h;
    std::vector<Color> pixels;
    std::vector<uint8_t> owned; // painted as the inside of a rectangle
};

} // namespace content
