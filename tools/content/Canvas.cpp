#include "Canvas.h"

#include <cmath>

namespace content {

Canvas::Canvas(int width, int height, Color fill)
    : w(width), h(height), pixels(size_t(width) * height, fill), owned(size_t(width) * height, 0) {}

void Canvas::set(int x, int y, Color c) {
    if (x >= 0 && y >= 0 && x < w && y < h)
        pixels[size_t(y) * w + x] = c;
}

void Canvas::blend(int x, int y, Color c, float coverage) {
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    Color& p = pixels[size_t(y) * w + x];
    float a = clamp01(c.a * coverage);
    p = {lerp(p.r, c.r, a), lerp(p.g, c.g, a), lerp(p.b, c.b, a), p.a + (1 - p.a) * a};
}

void Canvas::paint(const Rect& r, const std::function<Color(float, float)>& f, int pad) {
    for (int y = r.y - pad; y < r.y + r.h + pad; ++y) {
        for (int x = r.x - pad; x < r.x + r.w + pad; ++x) {
            if (x < 0 || y < 0 || x >= w || y >= h)
                continue;
            int cx = std::min(std::max(x, r.x), r.x + r.w - 1);
            int cy = std::min(std::max(y, r.y), r.y + r.h - 1);
            bool inside = cx == x && cy == y;
            // Padding never overwrites another rectangle's own pixels.
            if (!inside && owned[size_t(y) * w + x])
                continue;
            float u = (cx - r.x + 0.5f) / r.w, v = (cy - r.y + 0.5f) / r.h;
            pixels[size_t(y) * w + x] = f(u, v);
            if (inside)
                owned[size_t(y) * w + x] = 1;
        }
    }
}

std::vector<uint8_t> Canvas::tga(bool withAlpha) const {
    std::vector<uint8_t> out(18, 0);
    out[2] = 2; // uncompressed true colour
    out[12] = uint8_t(w & 0xFF);
    out[13] = uint8_t(w >> 8);
    out[14] = uint8_t(h & 0xFF);
    out[15] = uint8_t(h >> 8);
    out[16] = withAlpha ? 32 : 24;
    out[17] = withAlpha ? 8 : 0; // alpha bits; origin bottom left
    auto byte = [](float v) { return uint8_t(std::lround(clamp01(v) * 255.0f)); };
    out.reserve(18 + size_t(w) * h * (withAlpha ? 4 : 3));
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            Color c = get(x, y);
            out.push_back(byte(c.b));
            out.push_back(byte(c.g));
            out.push_back(byte(c.r));
            if (withAlpha)
                out.push_back(byte(c.a));
        }
    }
    return out;
}

} // namespace content
