// Every compositing routine's specialised loops held against the general combiner
// (SelectCombiner, one pixel at a time) over seeded random images whose channels lean
// towards 0 and 255, random weights (the word-shortcut ones often), every blend mode,
// bottom-up bitmaps, padded rows and positions clipped at every edge. The expected picture
// is worked out here from a plain model: a blit is a translation, a fill a rectangle, a
// straight line a run of pixels, and the word shortcuts are the per-byte shifts.
#include "bitmap/blit.h"
#include "bitmap/combiners.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kCases = 4000;

class Sweep {
public:
    explicit Sweep(std::uint32_t seed) : rng_(seed) {}

    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    float Real(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng_); }
    bool OneIn(int n) { return Int(1, n) == 1; }

    std::uint32_t Channel() {
        switch (Int(0, 5)) {
        case 0:
            return 0;
        case 1:
            return 255;
        case 2:
            return static_cast<std::uint32_t>(Int(0, 1) ? 1 : 254);
        default:
            return static_cast<std::uint32_t>(Int(0, 255));
        }
    }
    std::uint32_t Pixel() { return Channel() << 24 | Channel() << 16 | Channel() << 8 | Channel(); }

    // Random contents in every stored word, padding included.
    TestBitmap Image(int maxW, int maxH) {
        TestBitmap b(Int(1, maxW), Int(1, maxH), 0, OneIn(3), Int(0, 3));
        for (int r = 0; r < b.Height(); ++r)
            for (int x = 0; x < b.RowSpan(); ++x)
                b.Stored(x, r) = Pixel();
        return b;
    }

    float Alpha() {
        static const float kChosen[] = {
            1.0f,   0.5f, 0.25f, 0.75f,           0.5001f, 0.2501f,       0.7501f,        0.0f,
            0.001f, 1.5f, -0.5f, 100.0f / 256.0f, 0.999f,  1.0f / 256.0f, 255.0f / 256.0f};
        if (OneIn(3)) return Real(0.0f, 1.0f);
        return kChosen[Int(0, sizeof kChosen / sizeof kChosen[0] - 1)];
    }

    // Operations 0-5 and three that draw nothing, with or without either flag.
    BlendMode Mode() {
        // Copy, where most of the shortcuts are, a third of the time.
        BlendMode mode = OneIn(3) ? BLEND_COPY : static_cast<BlendMode>(Int(0, 8));
        if (mode == 8) mode = 0xEF;
        if (Int(0, 1)) mode |= BLEND_SOURCE_ALPHA;
        if (OneIn(4)) mode |= BLEND_BILINEAR;
        return mode;
    }

private:
    std::mt19937 rng_;
};

// The stored words of a bitmap, to work the expected picture on.
class Picture {
public:
    explicit Picture(const TestBitmap& b)
        : width_(b.Width()), height_(b.Height()), span_(b.RowSpan()), flipped_(b.IsFlipped()) {
        for (int r = 0; r < height_; ++r)
            for (int x = 0; x < span_; ++x)
                words_.push_back(b.Stored(x, r));
    }
    std::uint32_t& At(int x, int y) {
        const int r = flipped_ ? height_ - 1 - y : y;
        return words_[static_cast<std::size_t>(r) * span_ + x];
    }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Every stored word, padding included, must be as worked out here.
    ::testing::AssertionResult Matches(const TestBitmap& b) const {
        for (int r = 0; r < height_; ++r)
            for (int x = 0; x < span_; ++x) {
                const std::uint32_t want = words_[static_cast<std::size_t>(r) * span_ + x];
                if (b.Stored(x, r) != want)
                    return ::testing::AssertionFailure()
                           << "stored row " << r << " column " << x << ": got 0x" << std::hex
                           << b.Stored(x, r) << ", want 0x" << want;
            }
        return ::testing::AssertionSuccess();
    }

private:
    int width_, height_, span_;
    bool flipped_;
    std::vector<std::uint32_t> words_;
};

int Weight(float alpha) {
    if (!(alpha > 0.0f)) return 0;
    return alpha >= 1.0f ? 256 : static_cast<int>(alpha * 256.0f);
}

// The per-byte word shortcuts.
std::uint32_t Half(std::uint32_t p) {
    return (p >> 1) & 0x7F7F7F7F;
}
std::uint32_t Quarter(std::uint32_t p) {
    return (p >> 2) & 0x3F3F3F3F;
}

// The general combiner on source channels r, g, b, a.
void Combine(std::uint32_t& d, int r, int g, int b, int a, BlendMode mode, int w) {
    if (PixelCombiner c = SelectCombiner(mode)) c(d, r, g, b, a, w);
}
void Combine(std::uint32_t& d, std::uint32_t s, BlendMode mode, int w) {
    Combine(d, static_cast<int>((s >> 16) & 0xFF), static_cast<int>((s >> 8) & 0xFF),
            static_cast<int>(s & 0xFF), static_cast<int>(s >> 24), mode, w);
}

TEST(CompositingSweep, BlitBitmap) {
    Sweep sweep(0xB117);
    for (int i = 0; i < kCases; ++i) {
        const TestBitmap src = sweep.Image(12, 12);
        TestBitmap dest = sweep.Image(12, 12);
        const int destX = sweep.Int(-14, 14), destY = sweep.Int(-14, 14);
        const IPlugRect rect{sweep.Int(-4, 12), sweep.Int(-4, 12), sweep.Int(-4, 16),
                             sweep.Int(-4, 16)};
        const bool whole = sweep.OneIn(3);
        const float alpha = sweep.Alpha();
        BlendMode mode = sweep.Mode();
        if (sweep.OneIn(8)) mode = BlendChannelCopy(sweep.Int(0, 3), sweep.Int(0, 3));

        Picture want(dest);
        const long long left = whole ? 0 : rect.left, top = whole ? 0 : rect.top;
        const long long right = whole ? src.Width() : std::min(rect.right, src.Width());
        const long long bottom = whole ? src.Height() : std::min(rect.bottom, src.Height());
        const bool plainCopy = (mode & kBlendCombinerMask) == BLEND_COPY;
        for (int y = 0; y < want.Height() && alpha != 0.0f; ++y)
            for (int x = 0; x < want.Width(); ++x) {
                // A blit is a translation of the source rectangle, cut to both bitmaps.
                const long long sx = x - destX + left, sy = y - destY + top;
                if (sx < std::max(left, 0LL) || sx >= right || sy < std::max(top, 0LL) ||
                    sy >= bottom)
                    continue;
                const std::uint32_t s = src.At(static_cast<int>(sx), static_cast<int>(sy));
                std::uint32_t& d = want.At(x, y);
                if (IsChannelCopy(mode)) {
                    const unsigned from = (mode & 3) * 8, to = ((mode >> 2) & 3) * 8;
                    d = (d & ~(0xFFu << to)) | (((s >> from) & 0xFF) << to);
                } else if (plainCopy && alpha == 1.0f) {
                    d = s;
                } else if (plainCopy && alpha == 0.5f) {
                    d = Half(s) + Half(d);
                } else if (const int w = Weight(alpha); w > 0) {
                    Combine(d, s, mode, w);
                }
            }
        BlitBitmap(&dest, &src, destX, destY, whole ? nullptr : &rect, alpha, mode);
        ASSERT_TRUE(want.Matches(dest))
            << "case " << i << " mode 0x" << std::hex << mode << " alpha " << alpha;
    }
}

TEST(CompositingSweep, FillRectangle) {
    Sweep sweep(0xF111);
    for (int i = 0; i < kCases; ++i) {
        TestBitmap dest = sweep.Image(12, 12);
        const int x0 = sweep.Int(-14, 14), y0 = sweep.Int(-14, 14);
        const int width = sweep.Int(-2, 16), height = sweep.Int(-2, 16);
        const std::uint32_t colour = sweep.Pixel();
        const float alpha = sweep.Alpha();
        const BlendMode mode = sweep.Mode();

        Picture want(dest);
        float a = alpha;
        if (mode & BLEND_SOURCE_ALPHA) a *= static_cast<float>(colour >> 24) * (1.0f / 255.0f);
        const int w = Weight(a);
        const BlendMode operation = mode & kBlendOperationMask;
        for (int y = std::max(y0, 0);
             a != 0.0f && y < std::min<long long>(y0 + height, want.Height()); ++y)
            for (int x = std::max(x0, 0); x < std::min<long long>(x0 + width, want.Width()); ++x) {
                std::uint32_t& d = want.At(x, y);
                if (operation == BLEND_COPY && w == 256)
                    d = colour;
                else if (operation == BLEND_COPY && w == 128)
                    d = Half(colour) + Half(d);
                else if (operation == BLEND_COPY && w == 64)
                    d = Half(d) + Quarter(d) + Quarter(colour);
                else if (operation == BLEND_COPY && w == 192)
                    d = Quarter(d) + Half(colour) + Quarter(colour);
                else if (w > 0)
                    // The weight stands in for the source alpha.
                    Combine(d, static_cast<int>((colour >> 16) & 0xFF),
                            static_cast<int>((colour >> 8) & 0xFF), static_cast<int>(colour & 0xFF),
                            w, operation, w);
            }
        FillRectangle(&dest, x0, y0, width, height, colour, alpha, mode);
        ASSERT_TRUE(want.Matches(dest))
            << "case " << i << " mode 0x" << std::hex << mode << " alpha " << alpha;
    }
}

TEST(CompositingSweep, StraightLines) {
    Sweep sweep(0x11E5);
    for (int i = 0; i < kCases; ++i) {
        TestBitmap dest = sweep.Image(12, 12);
        const bool horizontal = sweep.Int(0, 1);
        const int along1 = sweep.Int(-5, 16), along2 = sweep.Int(-5, 16),
                  across = sweep.Int(-2, 13);
        const std::uint32_t colour = sweep.Pixel();
        const float alpha = sweep.Alpha();
        const BlendMode mode = sweep.Mode();

        Picture want(dest);
        const BlendMode operation = mode & kBlendOperationMask;
        const int length = horizontal ? want.Width() : want.Height();
        const int breadth = horizontal ? want.Height() : want.Width();
        const int w = Weight(alpha);
        for (int k = std::max(std::min(along1, along2), 0);
             across >= 0 && across < breadth && k <= std::min(std::max(along1, along2), length - 1);
             ++k) {
            std::uint32_t& d = horizontal ? want.At(k, across) : want.At(across, k);
            if (operation == BLEND_COPY && (alpha == 1.0f || w == 256))
                d = colour;
            else if (operation == BLEND_COPY && (alpha == 0.5f || w == 128))
                d = Half(colour) + Half(d);
            else if (operation == BLEND_COPY && alpha == 0.25f)
                d = Half(d) + Quarter(d) + Quarter(colour);
            else if (operation == BLEND_COPY && alpha == 0.75f)
                d = Quarter(d) + Half(colour) + Quarter(colour);
            else if (w > 0 && operation <= BLEND_HSV_ADJUST)
                Combine(d, colour, operation, w);
        }
        if (horizontal)
            DrawLineSegment(&dest, along1, across, along2, across, colour, alpha, mode,
                            sweep.Int(0, 1));
        else
            DrawLineSegment(&dest, across, along1, across, along2, colour, alpha, mode,
                            sweep.Int(0, 1));
        ASSERT_TRUE(want.Matches(dest))
            << "case " << i << " mode 0x" << std::hex << mode << " alpha " << alpha;
    }
}

// The rotated blit samples the same source whatever the mode: its samples, taken with a
// plain full-weight copy, then go through the general combiner.
TEST(CompositingSweep, BlitRotated) {
    Sweep sweep(0x4074);
    for (int i = 0; i < kCases; ++i) {
        TestBitmap src = sweep.Image(16, 16);
        if (sweep.Int(0, 1)) {
            // Clear around a disc, as knob images are, with a few specks left.
            const float cx = sweep.Real(0.0f, 16.0f), cy = sweep.Real(0.0f, 16.0f);
            const float r = sweep.Real(0.0f, 10.0f);
            for (int y = 0; y < src.Height(); ++y)
                for (int x = 0; x < src.Width(); ++x)
                    if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r && !sweep.OneIn(8))
                        src.At(x, y) &= sweep.OneIn(4) ? 0x00FFFFFFu : 0u;
        }
        TestBitmap dest = sweep.Image(24, 24);
        const int destX = sweep.Int(-10, 20), destY = sweep.Int(-10, 20);
        const int destW = sweep.Int(-24, 24), destH = sweep.Int(-24, 24);
        const float srcX = sweep.Real(-4.0f, 8.0f), srcY = sweep.Real(-4.0f, 8.0f);
        const float srcW = sweep.Real(-2.0f, 24.0f), srcH = sweep.Real(-2.0f, 24.0f);
        const float angle = sweep.OneIn(5) ? 0.0f : sweep.Real(-7.0f, 7.0f);
        const bool clip = sweep.Int(0, 1);
        const float offX = sweep.Real(-3.0f, 3.0f), offY = sweep.Real(-3.0f, 3.0f);
        // Half the time the knobs' own case: source-alpha copy at full weight, bilinear.
        const bool knob = sweep.Int(0, 1);
        const float alpha = knob ? 1.0f : sweep.Alpha();
        BlendMode mode = knob ? BLEND_COPY | BLEND_SOURCE_ALPHA : sweep.Mode();
        if (!sweep.OneIn(4)) mode |= BLEND_BILINEAR;
        auto draw = [&](TestBitmap& into, float a, BlendMode m) {
            BlitRotated(&into, &src, destX, destY, destW, destH, srcX, srcY, srcW, srcH, angle,
                        clip, a, m, offX, offY);
        };

        // Drawn on two backgrounds: a pixel that ends the same on both was drawn.
        TestBitmap clear(dest.Width(), dest.Height(), 0, dest.IsFlipped());
        TestBitmap white(dest.Width(), dest.Height(), 0xFFFFFFFF, dest.IsFlipped());
        draw(clear, 1.0f, BLEND_COPY | (mode & BLEND_BILINEAR));
        draw(white, 1.0f, BLEND_COPY | (mode & BLEND_BILINEAR));

        Picture want(dest);
        const int w = Weight(alpha);
        for (int y = 0; y < want.Height() && w > 0; ++y)
            for (int x = 0; x < want.Width(); ++x)
                if (clear.At(x, y) == white.At(x, y))
                    Combine(want.At(x, y), clear.At(x, y), mode, w);
        draw(dest, alpha, mode);
        ASSERT_TRUE(want.Matches(dest))
            << "case " << i << " mode 0x" << std::hex << mode << " alpha " << alpha;
    }
}

} // namespace
