#include "core/grow_buffer.h"
#include "core/pointer_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

// What owners rely on, over sizes from a byte to 80 MiB and around every page edge: with a
// granularity of a page or more, whole pages less the heap's 96-byte block header, and
// spare room of half the size (at least the granularity) cut to whole pages, so never more
// than 4 MiB; with a smaller granularity, exactly half again or the granularity.
TEST(GrowBuffer, AllocationsLeaveHalfAgainInWholePages) {
    constexpr long long kPage = 4096, kMaxSpare = 4 << 20;
    std::vector<int> sizes;
    for (long long n = 1; n < (80 << 20); n = n * 5 / 4 + 1)
        sizes.push_back(static_cast<int>(n));
    for (int page = 1; page < 40; ++page)
        for (int d : {-97, -96, -95, -1, 0, 1})
            sizes.push_back(page * 4096 + d);
    for (int granularity : {4096, 65536}) {
        for (int size : sizes) {
            const long long a = GrowBuffer::AllocationFor(size, granularity), spare = a - size;
            const long long ideal =
                std::clamp<long long>(std::max(size / 2, granularity), kPage, kMaxSpare);
            ASSERT_EQ((a + 96) % kPage, 0) << size;
            ASSERT_GT(spare, 0) << size;
            ASSERT_LE(spare, ideal) << size;
            ASSERT_GT(spare, ideal - 2 * kPage) << size << ": no more than the page cut lost";
        }
    }
    for (int granularity : {1, 16, 128})
        for (int size : sizes)
            ASSERT_EQ(GrowBuffer::AllocationFor(size, granularity) - size,
                      std::max(size / 2, granularity))
                << size;
}

TEST(GrowBuffer, GrowsOnlyPastAllocationAndShrinksOnlyWhenAllowed) {
    GrowBuffer b;
    ASSERT_TRUE(b.Resize(100000));
    EXPECT_EQ(b.Allocated(), 147360);
    std::memset(b.Data(), 0xAB, 100000);

    ASSERT_TRUE(b.Resize(147360));
    EXPECT_EQ(b.Allocated(), 147360);
    ASSERT_TRUE(b.Resize(10));
    EXPECT_EQ(b.Allocated(), 147360) << "shrinking not asked for";

    // Threshold: max(1, min(allocated / 2, allocated - 4 * granularity)) = 73680.
    ASSERT_TRUE(b.Resize(73680, true));
    EXPECT_EQ(b.Allocated(), 147360);
    ASSERT_TRUE(b.Resize(73679, true));
    EXPECT_EQ(b.Allocated(), 26 * 4096 - 96);
    EXPECT_EQ(b.Data()[73678], 0xAB) << "content kept across reallocation";

    ASSERT_TRUE(b.Resize(-5)); // a negative size counts as 0, which frees
    EXPECT_EQ(b.Size(), 0);
    EXPECT_EQ(b.Allocated(), 0);
    EXPECT_EQ(b.Data(), nullptr);
}

// Growing a byte at a time moves the block a few dozen times for a mebibyte, not per append,
// and keeps every byte.
TEST(GrowBuffer, AppendingReallocatesRarelyAndKeepsEarlierBytes) {
    for (int granularity : {16, 4096}) {
        GrowBuffer b(granularity);
        int moves = 0, allocated = 0;
        for (int i = 0; i < (1 << 20); ++i) {
            const auto byte = static_cast<unsigned char>(i * 7);
            ASSERT_TRUE(b.Append(&byte, 1));
            if (b.Allocated() != allocated) {
                ++moves;
                allocated = b.Allocated();
            }
        }
        EXPECT_LE(moves, 30) << granularity;
        ASSERT_EQ(b.Size(), 1 << 20);
        for (int i = 0; i < (1 << 20); ++i)
            ASSERT_EQ(b.Data()[i], static_cast<unsigned char>(i * 7)) << i;
    }
}

TEST(PointerList, InsertDeleteFind) {
    int a = 1, b = 2, c = 3;
    PointerList<int> list;
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&c), 1);
    EXPECT_EQ(list.Insert(1, &b), 1);
    EXPECT_EQ(list.Insert(-4, &c), 0) << "index clamped to the front";
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Get(0), &c);
    EXPECT_EQ(list.Get(1), &a);
    EXPECT_EQ(list.Get(2), &b);
    EXPECT_EQ(list.Find(&b), 2);
    EXPECT_EQ(list.Get(4), nullptr);
    list.Delete(0);
    EXPECT_EQ(list.Find(&c), 2);
    EXPECT_EQ(list.Find(nullptr), -1);
}

TEST(PointerList, OwnedListDeletesLastToFirst) {
    static std::string order;
    struct Noisy {
        char tag;
        ~Noisy() { order += tag; }
    };
    order.clear();
    {
        OwnedList<Noisy> list;
        list.Add(new Noisy{'a'});
        list.Add(new Noisy{'b'});
        list.Add(new Noisy{'c'});
        list.Delete(1, true);
    }
    EXPECT_EQ(order, "bca");
}
