#include "bitmap/utf8_to_utf16.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    std::string utf8;
    int capacity;
    std::vector<char16_t> expected; // empty with valid = false: refused
    bool valid;
};

TEST(Utf8ToUtf16Units, Table) {
    const Case cases[] = {
        {"ascii", "abc", 8, {u'a', u'b', u'c'}, true},
        {"two and three bytes", "a\xC3\xA9\xE2\x82\xAC", 8, {u'a', 0x00E9, 0x20AC}, true},
        {"last of the BMP", "\xEF\xBF\xBD", 8, {0xFFFD}, true},
        {"surrogate pair", "\xF0\x9F\x98\x80", 8, {0xD83D, 0xDE00}, true},
        {"U+10FFFF", "\xF4\x8F\xBF\xBF", 8, {0xDBFF, 0xDFFF}, true},
        {"zero byte is a character", std::string("a\0b", 3), 8, {u'a', 0, u'b'}, true},
        {"empty", "", 0, {}, true},
        {"exactly full", "abc", 3, {u'a', u'b', u'c'}, true},
        {"stray continuation", "\x80", 8, {}, false},
        {"overlong two bytes", "\xC0\xAF", 8, {}, false},
        {"overlong three bytes", "\xE0\x80\x80", 8, {}, false},
        {"overlong four bytes", "\xF0\x8F\xBF\xBF", 8, {}, false},
        {"surrogate", "\xED\xA0\x80", 8, {}, false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", 8, {}, false},
        {"five-byte lead", "\xF8\x88\x80\x80\x80", 8, {}, false},
        {"cut short", "\xC3", 8, {}, false},
        {"cut short inside", "\xE2\x82z", 8, {}, false},
        {"no room", "abc", 2, {}, false},
        {"no room for the second half of a pair", "\xF0\x9F\x98\x80", 1, {}, false},
    };
    for (const Case& c : cases) {
        std::vector<char16_t> out(static_cast<std::size_t>(c.capacity) + 1, 0x7777);
        const int n = Utf8ToUtf16Units(c.utf8.data(), static_cast<int>(c.utf8.size()), out.data(),
                                       c.capacity);
        if (!c.valid) {
            EXPECT_EQ(n, -1) << c.name;
            continue;
        }
        ASSERT_EQ(n, static_cast<int>(c.expected.size())) << c.name;
        EXPECT_EQ(std::vector<char16_t>(out.begin(), out.begin() + n), c.expected) << c.name;
        EXPECT_EQ(out[static_cast<std::size_t>(n)], 0x7777) << c.name << ": wrote past the end";
    }
}

TEST(Utf8ToUtf16Units, ReadsOnlyTheGivenLength) {
    char16_t out[4] = {};
    EXPECT_EQ(Utf8ToUtf16Units("ab\xFF", 2, out, 4), 2);
    EXPECT_EQ(Utf8ToUtf16Units("\xC3\xA9", 1, out, 4), -1);
}

TEST(Utf8ToUtf16Units, BadArguments) {
    char16_t out[4] = {};
    EXPECT_EQ(Utf8ToUtf16Units(nullptr, 1, out, 4), -1);
    EXPECT_EQ(Utf8ToUtf16Units("a", -1, out, 4), -1);
    EXPECT_EQ(Utf8ToUtf16Units("a", 1, nullptr, 4), -1);
}

} // namespace
