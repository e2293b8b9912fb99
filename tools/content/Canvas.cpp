#include "Canvas.h"

#include <algorithm>
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

namespace {

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return b << 16 | a;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    putBigEndian(out, uint32_t(data.size()));
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out, crc32(&out[typeAt], out.size() - typeAt));
}

} // namespace

std::vector<uint8_t> Canvas::png() const {
    auto byte = [](float v) { return uint8_t(std::lround(clamp01(v) * 255.0f)); };
    // Each row starts with its filter type, 0: the bytes as they are.
    std::vector<uint8_t> raw;
    raw.reserve(size_t(h) * (1 + size_t(w) * 4));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            Color c = get(x, y);
            raw.insert(raw.end(), {byte(c.r), byte(c.g), byte(c.b), byte(c.a)});
        }
    }
    // A zlib stream of stored blocks, each at most 65535 bytes.
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        bool last = at + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        at += n;
    } while (at < raw.size());
    putBigEndian(z, adler32(raw));

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBigEndian(header, uint32_t(w));
    putBigEndian(header, uint32_t(h));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, filters, no interlace
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", z);
    putChunk(out, "IEND", {});
    return out;
}

} // namespace content
