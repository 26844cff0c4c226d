#pragma once

#include <cstdint>

// A 32-bit bitmap: Height() rows of Width() pixel words 0xAARRGGBB (bytes B, G, R, A in
// memory, straight alpha), RowSpan() pixels apart. Row 0 is the top row; it is stored
// first unless IsFlipped(). Kinds: HeapBitmap (plain memory) and, on Windows, a bitmap
// that is also a drawing surface and hands out its DeviceContext().
class PixelBitmap {
public:
    PixelBitmap() = default;
    PixelBitmap(const PixelBitmap&) = delete;
    PixelBitmap& operator=(const PixelBitmap&) = delete;
    virtual ~PixelBitmap() = default;

    // First stored pixel, or null when the bitmap has no storage.
    virtual std::uint32_t* Bits() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int RowSpan() const = 0;
    virtual bool IsFlipped() const = 0;
    // True if the size changed or the storage was rebuilt. Contents are undefined after it.
    virtual bool Resize(int width, int height) = 0;
    // Platform drawing surface handle, or null for a bitmap that has none.
    virtual void* DeviceContext() const { return nullptr; }
};
