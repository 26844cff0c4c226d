#include "bitmap/heap_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

bool Aligned64(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p) % 64 == 0;
}

TEST(HeapBitmap, RowsArePaddedToTheAlignment) {
    EXPECT_EQ(HeapBitmap(5, 2, 4).RowSpan(), 8);
    EXPECT_EQ(HeapBitmap(8, 2, 4).RowSpan(), 8);
    EXPECT_EQ(HeapBitmap(5, 2, 0).RowSpan(), 5);
    EXPECT_EQ(HeapBitmap(5, 2, 1).RowSpan(), 5);
}

TEST(HeapBitmap, AlignmentIsReducedToItsLowestBitAndAtMostSixteen) {
    EXPECT_EQ(HeapBitmap(5, 1, 6).RowSpan(), 6);    // 6 -> 2
    EXPECT_EQ(HeapBitmap(5, 1, 3).RowSpan(), 5);    // 3 -> 1, none
    EXPECT_EQ(HeapBitmap(17, 1, 64).RowSpan(), 32); // 64 -> 16
    EXPECT_EQ(HeapBitmap(17, 1, 48).RowSpan(), 32); // 48 -> 16
}

TEST(HeapBitmap, PixelsStartOnA64ByteBoundary) {
    for (int w = 1; w < 40; w += 7) {
        HeapBitmap bitmap(w, 3, 4);
        ASSERT_NE(bitmap.Bits(), nullptr);
        EXPECT_TRUE(Aligned64(bitmap.Bits()));
        EXPECT_EQ(bitmap.Width(), w);
        EXPECT_EQ(bitmap.Height(), 3);
        EXPECT_FALSE(bitmap.IsFlipped());
        EXPECT_EQ(bitmap.DeviceContext(), nullptr);
    }
}

TEST(HeapBitmap, StartsEmptyUnlessBothSizesArePositive) {
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-1, 5}, {5, -3}, {0, 0}}) {
        HeapBitmap bitmap(w, h, 4);
        EXPECT_EQ(bitmap.Bits(), nullptr);
        EXPECT_EQ(bitmap.Width(), 0);
        EXPECT_EQ(bitmap.Height(), 0);
        EXPECT_EQ(bitmap.AllocatedBytes(), 0);
    }
}

TEST(HeapBitmap, GrowsByAQuarterAndNeverShrinks) {
    HeapBitmap bitmap(100, 100, 4);
    EXPECT_EQ(bitmap.AllocatedBytes(), 100 * 100 * 4);

    // 101 pixels pad to 104: 41600 bytes needed, a quarter more allocated.
    EXPECT_TRUE(bitmap.Resize(101, 100));
    EXPECT_EQ(bitmap.RowSpan(), 104);
    EXPECT_EQ(bitmap.AllocatedBytes(), 41600 + 10400);
    EXPECT_TRUE(Aligned64(bitmap.Bits()));

    std::uint32_t* const grown = bitmap.Bits();
    EXPECT_TRUE(bitmap.Resize(100, 100));
    EXPECT_EQ(bitmap.Bits(), grown);
    EXPECT_EQ(bitmap.AllocatedBytes(), 52000);
    EXPECT_TRUE(bitmap.Resize(120, 105)); // 50400 bytes still fit
    EXPECT_EQ(bitmap.Bits(), grown);
    EXPECT_EQ(bitmap.AllocatedBytes(), 52000);

    EXPECT_TRUE(bitmap.Resize(0, 0));
    EXPECT_EQ(bitmap.Bits(), nullptr);
    EXPECT_EQ(bitmap.AllocatedBytes(), 0);
    EXPECT_EQ(bitmap.Width(), 0);
}

TEST(HeapBitmap, ResizeToTheSameSizeDoesNothing) {
    HeapBitmap bitmap(7, 3, 4);
    std::uint32_t* const bits = bitmap.Bits();
    EXPECT_FALSE(bitmap.Resize(7, 3));
    EXPECT_EQ(bitmap.Bits(), bits);
    HeapBitmap empty(0, 0, 4);
    EXPECT_FALSE(empty.Resize(0, 0));
}

TEST(HeapBitmap, NegativeSizeFreesTheBuffer) {
    HeapBitmap bitmap(7, 3, 4);
    EXPECT_TRUE(bitmap.Resize(-7, 3));
    EXPECT_EQ(bitmap.Bits(), nullptr);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
}

TEST(HeapBitmap, SizeBeyondAnIntOfBytesFailsCleanly) {
    HeapBitmap bitmap(10, 10, 4);
    EXPECT_TRUE(bitmap.Resize(100000, 100000));
    EXPECT_EQ(bitmap.Bits(), nullptr);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_EQ(bitmap.AllocatedBytes(), 0);
    // And it recovers.
    EXPECT_TRUE(bitmap.Resize(4, 4));
    EXPECT_NE(bitmap.Bits(), nullptr);
    EXPECT_EQ(bitmap.AllocatedBytes(), 64);
}

TEST(HeapBitmap, UsableThroughTheInterface) {
    std::unique_ptr<PixelBitmap> bitmap = std::make_unique<HeapBitmap>(3, 2, 4);
    bitmap->Bits()[bitmap->RowSpan() + 2] = 0xCAFEF00Du;
    EXPECT_EQ(bitmap->Bits()[4 + 2], 0xCAFEF00Du);
}

} // namespace
