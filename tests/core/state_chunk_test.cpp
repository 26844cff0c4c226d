#include "core/state_chunk.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(StateChunk, ReadsAreBoundsChecked) {
    StateChunk chunk;
    ASSERT_TRUE(chunk.Put(std::int32_t{7}));
    ASSERT_TRUE(chunk.Put(2.5));
    ASSERT_EQ(chunk.Size(), 12);

    std::int32_t i = 0;
    double d = 0.0;
    EXPECT_EQ(chunk.Get(i, 0), 4);
    EXPECT_EQ(i, 7);
    EXPECT_EQ(chunk.Get(d, 4), 12);
    EXPECT_EQ(d, 2.5);

    d = -1.0;
    EXPECT_EQ(chunk.Get(d, 5), -1) << "past the end";
    EXPECT_EQ(d, -1.0) << "destination untouched on failure";
    EXPECT_EQ(chunk.Get(i, -1), -1) << "a failed position fails again";
}

TEST(StateChunk, StringsAreLengthPrefixed) {
    StateChunk chunk;
    ASSERT_TRUE(chunk.PutString("Harp"));
    ASSERT_EQ(chunk.Size(), 8);
    std::int32_t length = 0;
    chunk.Get(length, 0);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(std::memcmp(chunk.Data() + 4, "Harp", 4), 0);
    // Then one cut at a zero byte, and one that runs past the end.
    chunk.Put(std::int32_t{5});
    chunk.PutBytes("ab\0cd", 5);
    chunk.Put(std::int32_t{100});
    chunk.PutBytes("abc", 3);

    std::string text;
    bool got = false;
    EXPECT_EQ(chunk.GetString(text, got, 0), 8);
    EXPECT_TRUE(got);
    EXPECT_EQ(text, "Harp");
    EXPECT_EQ(chunk.GetString(text, got, 8), 17);
    EXPECT_EQ(text, "ab");
    text = "kept";
    const int next = chunk.GetString(text, got, 17);
    EXPECT_FALSE(got);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(next, 17 + 104);
    std::uint8_t byte;
    EXPECT_EQ(chunk.Get(byte, next), -1) << "the next read fails";

    StateChunk hostile;
    hostile.Put(std::int32_t{-8});
    hostile.Put(std::int32_t{0x7FFFFFFF});
    EXPECT_EQ(hostile.GetString(text, got, 0), -1) << "a negative length would step backwards";
    EXPECT_EQ(hostile.GetString(text, got, 4), -1) << "an end past 2 GiB cannot be a position";
}

TEST(StateChunk, ResizeZeroFillsNewBytes) {
    StateChunk chunk;
    chunk.PutBytes("xy", 2);
    ASSERT_TRUE(chunk.Resize(6));
    EXPECT_EQ(chunk.Data()[1], 'y');
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(chunk.Data()[i], 0);
}
