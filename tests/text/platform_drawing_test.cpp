#include "bitmap/pixel_word.h"
#include "font_fixture.h"

#include "bitmap/test_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

// A bitmap with a pretend device context, as a platform's drawing surfaces have.
class ContextBitmap final : public PixelBitmap {
public:
    ContextBitmap(int width, int height, std::uint32_t fill)
        : inner_(std::make_unique<TestBitmap>(width, height, fill)) {}
    std::uint32_t* Bits() const override { return inner_->Bits(); }
    int Width() const override { return inner_->Width(); }
    int Height() const override { return inner_->Height(); }
    int RowSpan() const override { return inner_->RowSpan(); }
    bool IsFlipped() const override { return false; }
    bool Resize(int width, int height) override {
        if (width <= Width() && height <= Height()) return false;
        inner_ = std::make_unique<TestBitmap>(std::max(width, Width()), std::max(height, Height()));
        return true;
    }
    void* DeviceContext() const override { return const_cast<ContextBitmap*>(this); }
    std::uint32_t At(int x, int y) const { return inner_->At(x, y); }

private:
    std::unique_ptr<TestBitmap> inner_;
};

// A platform that draws a string as a solid box 5 pixels per character wide.
class StringRasteriser final : public FakeRasteriser {
public:
    StringRasteriser(int lineHeight, bool drawsStrings)
        : FakeRasteriser(lineHeight), drawsStrings_(drawsStrings) {
        Block('A', 6, 5, 1, 9);
    }

    bool DrawsStrings() const override { return drawsStrings_; }
    int DrawWholeString(PixelBitmap& surface, const PlatformText& text, IPlugRect& rect) override {
        ++calls;
        EXPECT_NE(surface.DeviceContext(), nullptr);
        lastText = text.units ? std::u16string(text.units, text.unitCount) : std::u16string();
        lastBytes = std::string(text.bytes, text.byteCount);
        const int width = 5 * (text.units ? text.unitCount : text.byteCount);
        const int height = LineHeight();
        if (text.format & TEXT_CALCRECT) {
            rect.right = rect.left + width;
            rect.bottom = rect.top + height;
            return height;
        }
        int left = rect.left;
        if (text.format & TEXT_RIGHT)
            left = rect.right - width;
        else if (text.format & TEXT_CENTER)
            left = (rect.left + rect.right - width) / 2;
        for (int y = std::max(rect.top, 0); y < std::min(rect.top + height, surface.Height()); ++y)
            for (int x = std::max(left, 0); x < std::min(left + width, surface.Width()); ++x)
                surface.Bits()[y * surface.RowSpan() + x] = text.colour;
        return height;
    }
    std::unique_ptr<PixelBitmap> NewSurface() const override {
        return std::make_unique<ContextBitmap>(0, 0, 0);
    }

    int calls = 0;
    std::u16string lastText;
    std::string lastBytes;

private:
    bool drawsStrings_;
};

struct Native {
    StringRasteriser* platform;
    std::unique_ptr<GlyphFont> font;
};

Native NativeFont(int flags = 0, bool drawsStrings = true, int lineHeight = 10) {
    auto* platform = new StringRasteriser(lineHeight, drawsStrings);
    auto font = MakeFont(platform, FONT_NATIVE | flags);
    font->SetForeground(0xFF00FF00);
    return {platform, std::move(font)};
}

TEST(PlatformDrawing, NativeFontDrawsThroughThePlatform) {
    Native n = NativeFont();
    ContextBitmap dest(40, 20, 0xFF000000);
    IPlugRect rect{2, 3, 40, 20};
    EXPECT_EQ(n.font->DrawString(&dest, "AA", -1, rect, 0), 10);
    EXPECT_EQ(n.platform->calls, 1);
    EXPECT_EQ(n.platform->measured, 0); // no glyph was rendered
    EXPECT_EQ(dest.At(2, 3), 0xFF00FF00u);
    EXPECT_EQ(dest.At(11, 12), 0xFF00FF00u);
    EXPECT_EQ(dest.At(12, 3), 0xFF000000u);
}

TEST(PlatformDrawing, ChoiceOfPath) {
    struct Case {
        const char* what;
        int flags; // FONT_NATIVE is added unless FONT_OWNS_HANDLE alone is asked for
        bool platformDrawsStrings;
        int lineHeight;
        unsigned format;
        bool platform;
    };
    const Case cases[] = {
        {"mono", FONT_MONO, true, 10, 0, false},
        {"vertical", FONT_VERTICAL, true, 10, 0, false},
        {"precache", FONT_PRECACHE, true, 10, 0, false},
        {"shadow", FONT_SHADOW, true, 10, 0, false},
        {"blur", FONT_BLUR, true, 10, 0, false},
        {"foreground alpha", 0, true, 10, TEXT_FOREGROUND_ALPHA, false},
        {"forced glyphs", 0, true, 10, TEXT_FORCE_GLYPHS, false},
        // As under a compatibility layer: glyph drawing although the font is native.
        {"platform declines", 0, false, 10, 0, false},
        {"not native", FONT_OWNS_HANDLE, true, 10, 0, false},
        {"tall font, anyway", FONT_MONO, true, 300, TEXT_FORCE_GLYPHS, true},
    };
    for (const Case& c : cases) {
        auto* platform = new StringRasteriser(c.lineHeight, c.platformDrawsStrings);
        auto font = MakeFont(platform, c.flags == FONT_OWNS_HANDLE ? 0 : FONT_NATIVE | c.flags);
        font->SetForeground(0xFF00FF00);
        ContextBitmap dest(40, 20, 0);
        IPlugRect rect{0, 0, 40, 20};
        font->DrawString(&dest, "A", -1, rect, c.format);
        EXPECT_EQ(platform->calls, c.platform ? 1 : 0) << c.what;
        EXPECT_EQ(platform->measured > 0, !c.platform) << c.what; // glyphs were rendered
        if (!c.platform && c.flags == 0) {
            EXPECT_EQ(dest.At(0, 1), 0xFF00FF00u) << c.what; // the glyph's ink
        }
    }
}

TEST(PlatformDrawing, MeasuringHandsOverUtf16OrRawBytes) {
    Native n = NativeFont();
    IPlugRect rect{7, 8, 0, 0};
    EXPECT_EQ(n.font->DrawString(nullptr, "AAA", 2, rect, TEXT_CALCRECT | TEXT_CENTER), 10);
    EXPECT_EQ(rect, (IPlugRect{7, 8, 17, 18}));
    EXPECT_EQ(n.font->DrawString(nullptr, "caf\xC3\xA9", -1, rect, TEXT_CALCRECT), 10);
    EXPECT_EQ(n.platform->lastText, u"caf\u00E9");
    EXPECT_EQ(rect.right, 7 + 4 * 5);
    n.font->DrawString(nullptr, "ab\xC3", -1, rect, TEXT_CALCRECT); // invalid: raw bytes
    EXPECT_TRUE(n.platform->lastText.empty());
    EXPECT_EQ(n.platform->lastBytes, "ab\xC3");
    const std::string longText(2000, '\xE9');
    n.font->DrawString(nullptr, longText.c_str(), -1, rect, TEXT_CALCRECT);
    EXPECT_EQ(n.platform->lastBytes, longText);
    const std::string longValid = std::string(1500, 'x') + "\xC3\xA9";
    n.font->DrawString(nullptr, longValid.c_str(), -1, rect, TEXT_CALCRECT);
    EXPECT_EQ(n.platform->lastText.size(), 1501u);
}

TEST(PlatformDrawing, BitmapWithoutContextDrawsThroughTheScratch) {
    Native n = NativeFont();
    TestBitmap dest(40, 20, 0xFF202020);
    IPlugRect rect{0, 2, 30, 20};
    EXPECT_EQ(n.font->DrawString(&dest, "AA", -1, rect, TEXT_RIGHT), 10);
    EXPECT_EQ(dest.At(19, 2), 0xFF202020u);
    EXPECT_EQ(dest.At(20, 2), 0xFF00FF00u);
    EXPECT_EQ(dest.At(29, 11), 0xFF00FF00u);
    EXPECT_EQ(dest.At(30, 2), 0xFF202020u);
    EXPECT_EQ(dest.At(20, 12), 0xFF202020u);
    EXPECT_TRUE(dest.PaddingIs(0xFF202020));

    // The scratch is copied back at the font's alpha.
    n.font->SetBlend(BLEND_COPY, 0.5f);
    TestBitmap half(40, 20, 0xFF202020);
    rect = {0, 0, 40, 20};
    n.font->DrawString(&half, "A", -1, rect, 0);
    EXPECT_EQ(half.At(0, 0), MixHalf(0xFF00FF00, 0xFF202020));
    EXPECT_EQ(half.At(5, 0), 0xFF202020u);
}

} // namespace
