#include "bitmap/text/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DecodeUtf8Char, Sequences) {
    struct Case {
        std::string bytes;
        int used;
        std::uint16_t code;
    };
    const Case cases[] = {
        {"\xC3\xA9", 2, 0x00E9},
        {"\xE2\x82\xAC", 3, 0x20AC},
        {"\xEF\xBF\xBD", 3, 0xFFFD},     // kept to 16 bits
        {"\xF0\x9F\x98\x80", 4, 0x0020}, // beyond 16 bits: a space
        {"\x80", 1, 0x0080},             // stray continuation
        {"\xC3\x41", 1, 0x00C3},         // broken: the lead byte alone
        {"\xE2\x82", 1, 0x00E2},         // cut by the terminator
        {"\xF0\x9F\x98Z", 1, 0x00F0},
        {std::string("\xC0\x80\x80\x80"), 1, 0xC0}, // leads that are never valid
        {std::string("\xC1\x80\x80\x80"), 1, 0xC1},
        {std::string("\xF5\x80\x80\x80"), 1, 0xF5},
        {std::string("\xF8\x80\x80\x80"), 1, 0xF8},
        {std::string("\xFF\x80\x80\x80"), 1, 0xFF},
        {"A", 1, 'A'},
        {"", 1, 0},
    };
    for (const Case& c : cases) {
        std::uint16_t code = 0xFFFF;
        EXPECT_EQ(DecodeUtf8Char(c.bytes.c_str(), &code), c.used) << c.bytes;
        EXPECT_EQ(code, c.code) << c.bytes;
    }
    EXPECT_EQ(DecodeUtf8Char("\xC3\xA9", nullptr), 2); // the code may be absent
}

TEST(DecodeUtf8Char, BoundedReadStopsAtTheLength) {
    std::uint16_t code = 0;
    const char euro[] = {'\xE2', '\x82', '\xAC'};
    EXPECT_EQ(DecodeUtf8Char(euro, 2, &code), 1);
    EXPECT_EQ(code, 0xE2);
    EXPECT_EQ(DecodeUtf8Char(euro, 3, &code), 3);
    EXPECT_EQ(code, 0x20AC);
    EXPECT_EQ(DecodeUtf8Char(euro, 0, &code), 0);
    EXPECT_EQ(DecodeUtf8Char(nullptr, 4, &code), 0);
}

} // namespace
