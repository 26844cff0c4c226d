#pragma once

#include "bitmap/pixel_bitmap.h"
#include "base/win32/win32_api.h"

// PixelBitmap in a top-down 32-bit DIB section selected into a memory device context
// compatible with the screen, so that GDI can draw into it and BitBlt from it. Rows are
// padded to a multiple of 4 pixels. Asked for a smaller size it keeps the larger section
// and its row span, so a bitmap resized on every redraw does not reallocate.
class DibBitmap final : public PixelBitmap {
public:
    DibBitmap(int width, int height);
    ~DibBitmap() override;

    std::uint32_t* Bits() const override { return bits_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    int RowSpan() const override { return rowSpan_; }
    bool IsFlipped() const override { return false; }
    bool Resize(int width, int height) override;
    void* DeviceContext() const override { return dc_; }

    HDC Dc() const { return dc_; }

private:
    void ReleaseSection();

    int width_ = 0;
    int height_ = 0;
    HDC dc_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int rowSpan_ = 0;
    int allocatedHeight_ = 0;
    HBITMAP section_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};
