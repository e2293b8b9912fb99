#include "support/SoundFiles.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace {

void put16(std::vector<unsigned char>& out, uint16_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xff));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xffff));
    put16(out, static_cast<uint16_t>(v >> 16));
}

void putTag(std::vector<unsigned char>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

const double PI = 3.14159265358979323846;

} // namespace

std::vector<unsigned char> makeWav(const std::vector<short>& samples, int rate) {
    std::vector<unsigned char> out;
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    putTag(out, "RIFF");
    put32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, static_cast<uint32_t>(rate));
    put32(out, static_cast<uint32_t>(rate * 2));
    put16(out, 2);
    put16(out, 16);
    putTag(out, "data");
    put32(out, dataBytes);
    for (short s : samples) {
        put16(out, static_cast<uint16_t>(s));
    }
    return out;
}

std::vector<unsigned char> makeOgg(const std::vector<float>& samples, int rate) {
    std::vector<unsigned char> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, rate, 0.5f) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("libvorbis refused the encoder settings");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    ogg_page page;
    auto putPage = [&]() {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    // The audio must start on a fresh page.
    while (ogg_stream_flush(&stream, &page) != 0) {
        putPage();
    }

    std::size_t done = 0;
    bool ended = false;
    while (!ended) {
        std::size_t n = std::min<std::size_t>(1024, samples.size() - done);
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0); // end of stream
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            std::copy(samples.begin() + static_cast<long>(done),
                      samples.begin() + static_cast<long>(done + n), buffer[0]);
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    putPage();
                    ended = ended || ogg_page_eos(&page) != 0;
                }
            }
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::vector<short> shotSamples(int rate, double seconds) {
    std::vector<short> samples(static_cast<std::size_t>(rate * seconds));
    uint32_t noise = 12345;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        noise = noise * 1664525u + 1013904223u;
        double white = static_cast<double>(noise >> 8) / (1u << 24) * 2.0 - 1.0;
        // Fades linearly to the last sample, which is still a little above
        // zero so that the burst ends exactly where the file does.
        double envelope = 1.0 - static_cast<double>(i) / static_cast<double>(samples.size());
        double s = white * envelope * 20000.0;
        // Never exactly silent inside the burst.
        if (std::fabs(s) < 64.0) {
            s = s < 0 ? -64.0 : 64.0;
        }
        samples[i] = static_cast<short>(s);
    }
    return samples;
}

std::vector<float> chirpSamples(int rate, double seconds) {
    std::vector<float> samples(static_cast<std::size_t>(rate * seconds));
    double phase = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        double t = static_cast<double>(i) / rate;
        double frequency = 220.0 + 660.0 * t / seconds;
        phase += 2.0 * PI * frequency / rate;
        samples[i] = static_cast<float>(0.4 * std::sin(phase));
    }
    return samples;
}

std::vector<short> readCapture(const std::string& path, std::size_t bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::vector<char> raw(std::min(bytes, fileSize(path)));
    in.read(raw.data(), static_cast<std::streamsize>(raw.size()));
    raw.resize(static_cast<std::size_t>(in.gcount()));
    std::vector<short> samples(raw.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        auto lo = static_cast<unsigned char>(raw[2 * i]);
        auto hi = static_cast<unsigned char>(raw[2 * i + 1]);
        samples[i] = static_cast<short>(static_cast<uint16_t>(lo | (hi << 8)));
    }
    return samples;
}

std::size_t firstSound(const std::vector<short>& samples, std::size_t from) {
    for (std::size_t i = from; i < samples.size(); ++i) {
        if (samples[i] != 0) {
            return i;
        }
    }
    return std::string::npos;
}

std::size_t firstQuietWindow(const std::vector<short>& samples, std::size_t from, std::size_t to,
                             std::size_t count, double level) {
    to = std::min(to, samples.size());
    for (std::size_t at = from; at + count <= to; at += count) {
        double sum = 0.0;
        for (std::size_t i = at; i < at + count; ++i) {
            sum += static_cast<double>(samples[i]) * samples[i];
        }
        if (std::sqrt(sum / static_cast<double>(count)) <= level) {
            return at;
        }
    }
    return std::string::npos;
}

std::size_t fileSize(const std::string& path) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::size_t>(size);
}

bool waitForFileSize(const std::string& path, std::size_t size, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fileSize(path) < size) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
