#include "assets/TextScanner.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

void TextScanner::skipLine() {
    const void* newline = pos < size ? std::memchr(data + pos, '\n', size - pos) : nullptr;
    pos = newline ? static_cast<size_t>(static_cast<const char*>(newline) - data) + 1 : size;
}

std::string_view TextScanner::firstWordOfLine() {
    while (pos < size && data[pos] != '\n' && isSpace(data[pos])) {
        ++pos;
    }
    size_t start = pos;
    while (pos < size && pos - start < maxToken && !isSpace(data[pos])) {
        ++pos;
    }
    std::string_view word(data + start, pos - start);
    skipLine();
    return word;
}

bool TextScanner::readFloat(float* value) {
    skipSpace();
    size_t start = pos;
    size_t p = pos;
    if (p < size && data[p] == '+') {
        // The parser below takes a minus sign only; a second sign is an error.
        ++p;
        if (p < size && (data[p] == '-' || data[p] == '+')) {
            pos = p;
            return false;
        }
    }
    size_t digits = p < size && data[p] == '-' ? p + 1 : p;
    if (digits + 1 < size && data[digits] == '0' && (data[digits + 1] | 0x20) == 'x') {
        // Hexadecimal floats are rare enough to go through the C library on
        // a bounded copy.
        size_t end = digits + 2;
        while (end < size && end - start < maxToken && !isSpace(data[end])) {
            ++end;
        }
        std::string copy(data + start, end - start);
        char* stop = nullptr;
        float v = std::strtof(copy.c_str(), &stop);
        if (stop == copy.c_str()) {
            return false;
        }
        *value = v;
        pos = start + static_cast<size_t>(stop - copy.c_str());
        return true;
    }
    float v = 0.0f;
    std::from_chars_result r = std::from_chars(data + p, data + size, v);
    if (r.ec == std::errc::invalid_argument) {
        pos = p;
        return false;
    }
    pos = static_cast<size_t>(r.ptr - data);
    // An exponent without digits ("1e", "2.5e+") is taken and rejected whole,
    // as the stream scanner does.
    if (pos < size && (data[pos] == 'e' || data[pos] == 'E')) {
        ++pos;
        if (pos < size && (data[pos] == '+' || data[pos] == '-')) {
            ++pos;
        }
        return false;
    }
    // Out-of-range values come back as infinity or zero, like strtof.
    if (r.ec == std::errc::result_out_of_range) {
        std::string copy(data + p, pos - p);
        v = std::strtof(copy.c_str(), nullptr);
    }
    *value = v;
    return true;
}
