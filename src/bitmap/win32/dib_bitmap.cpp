#include "bitmap/win32/dib_bitmap.h"

#include <climits>

DibBitmap::DibBitmap(int width, int height) {
    dc_ = CreateCompatibleDC(nullptr);
    if (width > 0 && height > 0) Resize(width, height);
}

DibBitmap::~DibBitmap() {
    ReleaseSection();
    if (dc_) DeleteDC(dc_);
}

void DibBitmap::ReleaseSection() {
    if (previous_ && dc_) SelectObject(dc_, previous_);
    previous_ = nullptr;
    if (section_) DeleteObject(section_);
    section_ = nullptr;
    bits_ = nullptr;
}

bool DibBitmap::Resize(int width, int height) {
    if (!dc_) {
        width_ = height_ = 0;
        bits_ = nullptr;
        return false;
    }
    if (width == width_ && height == height_) return false;
    width_ = width;
    height_ = height;
    if (width != 0 && height != 0 && rowSpan_ >= width && allocatedHeight_ >= height && bits_)
        return true;

    const int rounded = width > 0 && width <= INT_MAX - 3 ? (width + 3) & ~3 : 0;
    rowSpan_ = rounded;
    allocatedHeight_ = height;
    ReleaseSection();
    if (rounded < 1 || height < 1) {
        // Nothing to hold: an empty bitmap, never a size without pixels.
        width_ = height_ = rowSpan_ = allocatedHeight_ = 0;
        return false;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = rounded;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    section_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section_ || !bits) {
        if (section_) DeleteObject(section_);
        section_ = nullptr;
        width_ = height_ = rowSpan_ = allocatedHeight_ = 0;
        return true;
    }
    bits_ = static_cast<std::uint32_t*>(bits);
    previous_ = SelectObject(dc_, section_);
    return true;
}
