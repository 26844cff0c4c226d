#include "core/grow_buffer.h"
#include "core/pointer_list.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(GrowBuffer, AllocationFollowsPageRule) {
    // Extra is max(size / 2, granularity) cut to whole pages, and the total leaves room
    // for a 96-byte heap header within whole pages.
    EXPECT_EQ(GrowBuffer::AllocationFor(1, 4096), 4096 - 96);
    EXPECT_EQ(GrowBuffer::AllocationFor(4001, 4096), 8192 - 96);
    EXPECT_EQ(GrowBuffer::AllocationFor(100000, 4096), 36 * 4096 - 96);
    // The extra is held at 4 MiB for large buffers.
    EXPECT_EQ(GrowBuffer::AllocationFor(64 << 20, 4096), (64 << 20) + (4 << 20) - 96);
    // Small granularities take neither page rounding.
    EXPECT_EQ(GrowBuffer::AllocationFor(10, 128), 138);
    EXPECT_EQ(GrowBuffer::AllocationFor(1000, 128), 1500);
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

TEST(GrowBuffer, AppendKeepsEarlierBytes) {
    GrowBuffer b(16);
    for (int i = 0; i < 1000; ++i) {
        unsigned char byte = static_cast<unsigned char>(i);
        ASSERT_TRUE(b.Append(&byte, 1));
    }
    ASSERT_EQ(b.Size(), 1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(b.Data()[i], static_cast<unsigned char>(i));
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
