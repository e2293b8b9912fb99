#pragma once

#include <climits>
#include <cstddef>
#include <string_view>

// Reads text held in memory the way the C stream scanners read a text file:
// tokens are cut after 255 characters, numbers skip the white space before
// them, literal characters do not, and a number that fails to parse leaves
// the scanner at the character that stopped it. Every read stays inside the
// buffer whatever it holds.
class TextScanner {
public:
    static const size_t maxToken = 255;

    TextScanner(const char* data, size_t size) : data(data), size(size), pos(0) {}

    bool atEnd() const { return pos >= size; }
    size_t position() const { return pos; }
    void rewind() { pos = 0; }

    // The next white-space-separated token, at most maxToken characters;
    // false when only white space is left.
    bool readToken(std::string_view* token) {
        skipSpace();
        size_t start = pos;
        size_t limit = size - pos > maxToken ? pos + maxToken : size;
        while (pos < limit && !isSpace(data[pos])) {
            ++pos;
        }
        *token = std::string_view(data + start, pos - start);
        return pos > start;
    }

    // Moves past the end of the current line.
    void skipLine();

    // The first word of the rest of the line (at most maxToken characters,
    // empty when the line has none); consumes the whole line.
    std::string_view firstWordOfLine();

    // A decimal integer after optional white space and sign, as "%d" reads
    // it; values beyond int saturate.
    bool readInt(int* value) {
        skipSpace();
        bool negative = false;
        if (pos < size && (data[pos] == '-' || data[pos] == '+')) {
            negative = data[pos] == '-';
            ++pos;
        }
        size_t start = pos;
        long long magnitude = 0;
        while (pos < size && isDigit(data[pos])) {
            // Past int's range the value only saturates.
            if (magnitude <= INT_MAX) {
                magnitude = magnitude * 10 + (data[pos] - '0');
            }
            ++pos;
        }
        if (pos == start) {
            return false;
        }
        long long v = negative ? -magnitude : magnitude;
        *value = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
        return true;
    }

    // A float after optional white space, as "%f" reads it.
    bool readFloat(float* value);

    // Consumes c if it is the very next character.
    bool readChar(char c) {
        if (pos < size && data[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }

    // The characters isspace() takes in the C locale: blank and \t to \r.
    static bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

private:
    void skipSpace() {
        while (pos < size && isSpace(data[pos])) {
            ++pos;
        }
    }

    const char* data;
    size_t size;
    size_t pos;
};
