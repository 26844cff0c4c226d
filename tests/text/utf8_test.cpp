#include "bitmap/text/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Decoded {
    int used;
    std::uint16_t code;
};

Decoded Decode(const std::string& bytes) {
    std::uint16_t code = 0xFFFF;
    const int used = DecodeUtf8Char(bytes.c_str(), &code);
    return {used, code};
}

TEST(DecodeUtf8Char, TwoByteSequence) {
    const Decoded d = Decode("\xC3\xA9");
    EXPECT_EQ(d.used, 2);
    EXPECT_EQ(d.code, 0x00E9);
}

TEST(DecodeUtf8Char, ThreeByteSequenceKeepsSixteenBits) {
    const Decoded euro = Decode("\xE2\x82\xAC");
    EXPECT_EQ(euro.used, 3);
    EXPECT_EQ(euro.code, 0x20AC);
    const Decoded last = Decode("\xEF\xBF\xBD");
    EXPECT_EQ(last.used, 3);
    EXPECT_EQ(last.code, 0xFFFD);
}

TEST(DecodeUtf8Char, FourByteSequenceBecomesSpace) {
    const Decoded d = Decode("\xF0\x9F\x98\x80");
    EXPECT_EQ(d.used, 4);
    EXPECT_EQ(d.code, 0x20);
}

TEST(DecodeUtf8Char, StrayContinuationIsItself) {
    const Decoded d = Decode("\x80");
    EXPECT_EQ(d.used, 1);
    EXPECT_EQ(d.code, 0x0080);
}

TEST(DecodeUtf8Char, BrokenSequenceIsTheLeadByte) {
    const Decoded d = Decode("\xC3\x41");
    EXPECT_EQ(d.used, 1);
    EXPECT_EQ(d.code, 0x00C3);
    const Decoded cut = Decode("\xE2\x82"); // the terminator ends it
    EXPECT_EQ(cut.used, 1);
    EXPECT_EQ(cut.code, 0x00E2);
    const Decoded four = Decode("\xF0\x9F\x98Z");
    EXPECT_EQ(four.used, 1);
    EXPECT_EQ(four.code, 0x00F0);
}

TEST(DecodeUtf8Char, InvalidLeadsAreSingleBytes) {
    for (unsigned lead : {0xC0u, 0xC1u, 0xF5u, 0xF8u, 0xFFu}) {
        const std::string bytes{static_cast<char>(lead), '\x80', '\x80', '\x80'};
        const Decoded d = Decode(bytes);
        EXPECT_EQ(d.used, 1) << lead;
        EXPECT_EQ(d.code, lead);
    }
}

TEST(DecodeUtf8Char, AsciiAndTerminator) {
    EXPECT_EQ(Decode("A").used, 1);
    EXPECT_EQ(Decode("A").code, 'A');
    EXPECT_EQ(Decode("").used, 1);
    EXPECT_EQ(Decode("").code, 0);
}

TEST(DecodeUtf8Char, CodeMayBeAbsent) {
    EXPECT_EQ(DecodeUtf8Char("\xC3\xA9", nullptr), 2);
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
