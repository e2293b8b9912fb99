#include "Audio.h"

#include "Math.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vorbis/vorbisenc.h>

namespace content {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        out.push_back(uint8_t(v >> (8 * k)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void appendPage(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

} // namespace

std::vector<uint8_t> wavBytes(const std::vector<float>& samples, int channels, int rate) {
    std::vector<uint8_t> out;
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, uint16_t(channels));
    put32(out, uint32_t(rate));
    put32(out, uint32_t(rate * channels * 2));
    put16(out, uint16_t(channels * 2));
    put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataBytes);
    for (float s : samples) {
        long v = std::lround(std::max(-1.0f, std::min(1.0f, s)) * 32767.0f);
        put16(out, uint16_t(int16_t(v)));
    }
    return out;
}

std::vector<uint8_t> oggVorbisBytes(const std::vector<float>& left, const std::vector<float>& right,
                                    int rate, float quality, int serial) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, rate, quality) != 0)
        throw std::runtime_error("the Vorbis encoder refused its settings");
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "Ravonel");
    vorbis_comment_add_tag(&vc, "ARTIST", "Morrowfen");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    std::vector<uint8_t> out;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0)
        appendPage(out, page);

    auto drain = [&] {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0)
                    appendPage(out, page);
            }
        }
    };
    const size_t chunk = 1024;
    for (size_t at = 0; at < left.size(); at += chunk) {
        size_t n = std::min(chunk, left.size() - at);
        float** buffer = vorbis_analysis_buffer(&vd, int(n));
        std::memcpy(buffer[0], left.data() + at, n * sizeof(float));
        std::memcpy(buffer[1], right.data() + at, n * sizeof(float));
        vorbis_analysis_wrote(&vd, int(n));
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &page) != 0)
        appendPage(out, page);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

namespace {

enum class Kind { Low, High, Band };

Biquad design(Kind kind, float freq, float q, int rate) {
    float w = 2 * kPi * freq / rate, c = std::cos(w), a = std::sin(w) / (2 * q), a0 = 1 + a;
    float b0, b1, b2;
    switch (kind) {
    case Kind::Low:
        b0 = (1 - c) / 2, b1 = 1 - c, b2 = b0;
        break;
    case Kind::High:
        b0 = (1 + c) / 2, b1 = -(1 + c), b2 = b0;
        break;
    default:
        b0 = a, b1 = 0, b2 = -a;
        break;
    }
    return Biquad(b0 / a0, b1 / a0, b2 / a0, -2 * c / a0, (1 - a) / a0);
}

} // namespace

Biquad Biquad::lowPass(float freq, float q, int rate) {
    return design(Kind::Low, freq, q, rate);
}
Biquad Biquad::highPass(float freq, float q, int rate) {
    return design(Kind::High, freq, q, rate);
}
Biquad Biquad::bandPass(float freq, float q, int rate) {
    return design(Kind::Band, freq, q, rate);
}

void normalise(std::vector<float>& s, float peak) {
    float m = 0;
    for (float v : s)
        m = std::max(m, std::fabs(v));
    if (m > 0)
        for (float& v : s)
            v *= peak / m;
}

void normalise(std::vector<float>& l, std::vector<float>& r, float peak) {
    float m = 0;
    for (size_t i = 0; i < l.size(); ++i)
        m = std::max(m, std::max(std::fabs(l[i]), std::fabs(r[i])));
    if (m > 0) {
        for (size_t i = 0; i < l.size(); ++i) {
            l[i] *= peak / m;
            r[i] *= peak / m;
        }
    }
}

} // namespace content
