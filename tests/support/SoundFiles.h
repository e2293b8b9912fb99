#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Small sound files made by the tests themselves, and readings of what SDL's
// disk audio driver captured.

// A mono 16-bit PCM WAV file.
std::vector<unsigned char> makeWav(const std::vector<short>& samples, int rate);

// A mono Ogg Vorbis file of samples in [-1, 1], encoded with libvorbis.
std::vector<unsigned char> makeOgg(const std::vector<float>& samples, int rate);

// A decaying noise burst, loud at once and fading to nothing: a shot.
std::vector<short> shotSamples(int rate, double seconds);

// A sine whose pitch rises over the whole length, so that no stretch of it
// looks like another.
std::vector<float> chirpSamples(int rate, double seconds);

// The interleaved 16-bit samples in the first bytes bytes of a raw capture
// file (fewer if it is shorter). Bounded, since the driver keeps appending.
std::vector<short> readCapture(const std::string& path, std::size_t bytes);

// Index of the first non-zero sample at or after from; npos if none.
std::size_t firstSound(const std::vector<short>& samples, std::size_t from = 0);

// Index of the first window of count samples, from from up to to, whose RMS
// level is at or below level; npos when every window is louder.
std::size_t firstQuietWindow(const std::vector<short>& samples, std::size_t from, std::size_t to,
                             std::size_t count, double level);

// The size of a file in bytes, 0 when it does not exist.
std::size_t fileSize(const std::string& path);

// Waits until the file has reached size bytes; false after timeoutMs.
bool waitForFileSize(const std::string& path, std::size_t size, int timeoutMs);
