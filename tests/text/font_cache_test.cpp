#include "bitmap/text/font_cache.h"

#include "bitmap/heap_bitmap.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

IPlugText Style(int size, const char* face = "Arial") {
    IPlugText style;
    style.SetFace(face);
    style.size = size;
    return style;
}

TEST(IPlugText, IsAnEightyByteRecord) {
    EXPECT_EQ(sizeof(IPlugText), 80u);
    IPlugText style;
    style.SetFace("A face name far longer than thirty-one characters");
    EXPECT_EQ(std::string(style.face).size(), 31u);
    style.SetFace(nullptr);
    EXPECT_EQ(style.face[0], '\0');
}

TEST(GetFont, EqualKeysShareOneFont) {
    IPlugText a = Style(16), b = Style(16);
    b.colour = {100, 1, 2, 3};
    b.align = TEXT_ALIGN_RIGHT;
    b.quality = TEXT_QUALITY_NONANTIALIASED;
    GlyphFont* fa = GetFont(a);
    ASSERT_NE(fa, nullptr);
    EXPECT_EQ(a.cachedFont, fa);
    EXPECT_EQ(GetFont(b), fa);
    EXPECT_EQ(b.cachedFont, fa);
    EXPECT_EQ(fa->Flags(), FONT_OWNS_HANDLE | FONT_NATIVE);
}

TEST(GetFont, EveryKeyFieldMakesAnotherFont) {
    IPlugText base = Style(13, "Verdana");
    GlyphFont* font = GetFont(base);
    ASSERT_NE(font, nullptr);
    const int before = FontCacheSize();

    IPlugText size = base, style = base, orientation = base, face = base;
    size.size = 14;
    style.style = TEXT_STYLE_BOLD;
    orientation.orientation = 90;
    face.SetFace("verdana"); // names are compared exactly
    for (IPlugText* other : {&size, &style, &orientation, &face}) {
        GlyphFont* f = GetFont(*other);
        ASSERT_NE(f, nullptr);
        EXPECT_NE(f, font);
    }
    EXPECT_EQ(FontCacheSize(), before + 4);
    EXPECT_NE(GetFont(size)->LineHeight(), font->LineHeight());
}

TEST(GetFont, ThreadsAskingTogetherGetOneFont) {
    std::vector<GlyphFont*> got(4, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&got, i] {
            IPlugText style = Style(21);
            got[i] = GetFont(style);
        });
    for (std::thread& t : threads)
        t.join();
    ASSERT_NE(got[0], nullptr);
    for (GlyphFont* f : got)
        EXPECT_EQ(f, got[0]);
}

TEST(GetFont, SharedFontDrawsFromSeveralThreads) {
    IPlugText style = Style(16);
    GlyphFont* font = GetFont(style);
    ASSERT_NE(font, nullptr);
    std::atomic<int> wrong{0}, drawn{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([font, i, &wrong, &drawn] {
            HeapBitmap panel(120, 24, 4);
            // Each thread draws in one channel of its own (the fourth shares the first).
            const std::uint32_t channel = 0xFFu << (8 * (i % 3));
            const std::uint32_t colour = 0xFF000000u | channel;
            for (int round = 0; round < 50; ++round) {
                for (int y = 0; y < 24; ++y)
                    for (int x = 0; x < 120; ++x)
                        panel.Bits()[y * panel.RowSpan() + x] = 0xFF000000;
                IPlugRect rect{0, 0, 120, 24};
                const char text[] = {static_cast<char>('a' + (round + i) % 26), 'W', '\xC3',
                                     static_cast<char>(0x80 + round % 60), 0};
                {
                    auto lock = font->Lock();
                    font->SetForeground(colour);
                    font->DrawString(&panel, text, -1, rect, TEXT_NOCLIP);
                }
                // Nothing was drawn in another thread's colour.
                for (int p = 0; p < 120 * 24; ++p) {
                    const std::uint32_t v = panel.Bits()[p / 120 * panel.RowSpan() + p % 120];
                    if (v & 0x00FFFFFF & ~channel) ++wrong;
                    if (v & channel) ++drawn;
                }
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(drawn.load(), 4 * 50 * 20);
}

} // namespace
