#pragma once

#include "bitmap/pixel_bitmap.h"

// PixelBitmap in a heap buffer whose pixels start on a 64-byte boundary. Rows are padded
// to a multiple of the row alignment. The buffer grows by a quarter beyond the request and
// never shrinks, so a bitmap resized on every redraw settles without reallocating.
class HeapBitmap final : public PixelBitmap {
public:
    // alignment is in pixels: its lowest set bit is used, at most 16; 0 and 1 mean none.
    // The bitmap starts empty unless width and height are both positive.
    HeapBitmap(int width, int height, int alignment = 4);
    ~HeapBitmap() override;

    std::uint32_t* Bits() const override;
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    int RowSpan() const override { return RowSpanFor(width_); }
    bool IsFlipped() const override { return false; }
    bool Resize(int width, int height) override;

    // Bytes of pixel storage held (the slack for the 64-byte alignment not counted).
    int AllocatedBytes() const { return allocated_; }

private:
    int RowSpanFor(int width) const;
    void Release();

    void* raw_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int allocated_ = 0;
    unsigned alignMask_ = 0;
};
