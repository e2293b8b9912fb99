#include "assets/TextScanner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

// The scanner keeps a pointer to its text: literals outlive it.
TextScanner scan(const char* s) {
    return TextScanner(s, std::strlen(s));
}

} // namespace

TEST(TextScannerTest, TokensAreCutAfter255Characters) {
    std::string text = "  " + std::string(300, 'a') + "\tb\n";
    TextScanner in(text.data(), text.size());
    std::string_view token;
    ASSERT_TRUE(in.readToken(&token));
    EXPECT_EQ(token, std::string(255, 'a'));
    ASSERT_TRUE(in.readToken(&token));
    EXPECT_EQ(token, std::string(45, 'a'));
    ASSERT_TRUE(in.readToken(&token));
    EXPECT_EQ(token, "b");
    EXPECT_FALSE(in.readToken(&token));
    EXPECT_TRUE(in.atEnd());
}

TEST(TextScannerTest, FirstWordConsumesTheLineAndStopsAtItsEnd) {
    TextScanner in = scan("  two words here\r\nnext\n\nlast");
    EXPECT_EQ(in.firstWordOfLine(), "two");
    EXPECT_EQ(in.firstWordOfLine(), "next");
    // An empty line has no word; the word never comes from the next line.
    EXPECT_EQ(in.firstWordOfLine(), "");
    EXPECT_EQ(in.firstWordOfLine(), "last");
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(in.firstWordOfLine(), "");
}

TEST(TextScannerTest, SkipLineWithoutNewlineEndsTheText) {
    TextScanner in = scan("abc def");
    in.skipLine();
    EXPECT_TRUE(in.atEnd());
}

TEST(TextScannerTest, IntegersSkipSpaceSaturateAndLeaveTheStopCharacter) {
    TextScanner in = scan(" \n -12/+007 99999999999 -99999999999 x 000000000000042");
    int v = 0;
    ASSERT_TRUE(in.readInt(&v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(in.readChar('/'));
    ASSERT_TRUE(in.readInt(&v));
    EXPECT_EQ(v, 7);
    ASSERT_TRUE(in.readInt(&v));
    EXPECT_EQ(v, INT32_MAX);
    ASSERT_TRUE(in.readInt(&v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_FALSE(in.readInt(&v));
    EXPECT_FALSE(in.readChar('/'));
    EXPECT_TRUE(in.readChar('x'));
    ASSERT_TRUE(in.readInt(&v));
    EXPECT_EQ(v, 42);
}

TEST(TextScannerTest, FloatFormsThatTheStreamScannerAccepts) {
    struct Case {
        const char* text;
        float value;
    } cases[] = {{"1", 1.0f},     {"+2.", 2.0f},     {"-3.5e1", -35.0f}, {".25", 0.25f},
                 {"1E2", 100.0f}, {"+1e+2", 100.0f}, {"0x1p3", 8.0f},    {"-0X.8p1", -1.0f},
                 {"1e-50", 0.0f}, {"2.5.3", 2.5f}};
    for (const Case& c : cases) {
        TextScanner in = scan(c.text);
        float v = -7.0f;
        ASSERT_TRUE(in.readFloat(&v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    float v = 0.0f;
    TextScanner inf = scan("inf 1e999");
    ASSERT_TRUE(inf.readFloat(&v));
    EXPECT_TRUE(std::isinf(v));
    ASSERT_TRUE(inf.readFloat(&v));
    EXPECT_TRUE(std::isinf(v));
}

TEST(TextScannerTest, FloatsThatFailKeepTheValueAndStopTheScan) {
    for (const char* text : {"abc", "+-1", "-", "1e", "2.5e+ 3", "/"}) {
        TextScanner in = scan(text);
        float v = -7.0f;
        EXPECT_FALSE(in.readFloat(&v)) << text;
        EXPECT_EQ(v, -7.0f) << text;
    }
    // A failed exponent is consumed with its sign, so the scan goes on after it.
    TextScanner in = scan("2.5e+ 3");
    float v = 0.0f;
    EXPECT_FALSE(in.readFloat(&v));
    ASSERT_TRUE(in.readFloat(&v));
    EXPECT_EQ(v, 3.0f);
}

// Coordinates must round exactly as the C library rounds them.
TEST(TextScannerTest, DecimalFloatsRoundLikeStrtof) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> digit(0, 9), length(1, 12), exponent(-40, 40);
    for (int i = 0; i < 20000; ++i) {
        std::string s = random() % 2 ? "-" : "";
        int n = length(random);
        for (int k = 0; k < n; ++k) {
            s += char('0' + digit(random));
            if (k == n / 2) {
                s += '.';
            }
        }
        if (i % 3 == 0) {
            s += "e" + std::to_string(exponent(random));
        }
        TextScanner in(s.data(), s.size());
        float v = 0.0f;
        ASSERT_TRUE(in.readFloat(&v)) << s;
        float expected = std::strtof(s.c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&v, &expected, sizeof v), 0) << s;
        EXPECT_TRUE(in.atEnd()) << s;
    }
}
