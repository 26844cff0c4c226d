#pragma once

#include "bitmap/pixel_bitmap.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// A PixelBitmap over a vector, with a chosen row span and optionally stored bottom-up, to
// check that the drawing code honours both.
class TestBitmap final : public PixelBitmap {
public:
    TestBitmap(int width, int height, std::uint32_t fill = 0, bool flipped = false,
               int extraSpan = 3)
        : width_(width), height_(height), span_(width + extraSpan), flipped_(flipped),
          pixels_(static_cast<std::size_t>(span_) * height, fill) {}
    TestBitmap(TestBitmap&& other) noexcept
        : width_(other.width_), height_(other.height_), span_(other.span_),
          flipped_(other.flipped_), pixels_(std::move(other.pixels_)) {}

    std::uint32_t* Bits() const override { return pixels_.empty() ? nullptr : pixels_.data(); }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    int RowSpan() const override { return span_; }
    bool IsFlipped() const override { return flipped_; }
    bool Resize(int, int) override { return false; }

    // Pixel (x, y) counted from the top row, wherever that is stored.
    std::uint32_t& At(int x, int y) const {
        const int row = flipped_ ? height_ - 1 - y : y;
        return pixels_[static_cast<std::size_t>(row) * span_ + x];
    }
    // Stored row r, from the start of the storage.
    std::uint32_t& Stored(int x, int r) const {
        return pixels_[static_cast<std::size_t>(r) * span_ + x];
    }
    // The padding beyond each row's width must never be written.
    bool PaddingIs(std::uint32_t value) const {
        for (int r = 0; r < height_; ++r)
            for (int x = width_; x < span_; ++x)
                if (Stored(x, r) != value) return false;
        return true;
    }

private:
    int width_, height_, span_;
    bool flipped_;
    mutable std::vector<std::uint32_t> pixels_;
};
