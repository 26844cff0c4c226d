#pragma once

#include "base/geometry.h"
#include "bitmap/pixel_bitmap.h"

#include <cstdint>
#include <memory>
#include <vector>

#include <xcb/xcb.h>

// A PixelBitmap over memory it does not own (the shared segment of a surface).
class ForeignBitmap final : public PixelBitmap {
public:
    ForeignBitmap(std::uint32_t* bits, int width, int height)
        : bits_(bits), width_(width), height_(height) {}
    std::uint32_t* Bits() const override { return bits_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    int RowSpan() const override { return width_; }
    bool IsFlipped() const override { return false; }
    bool Resize(int, int) override { return false; }

private:
    std::uint32_t* bits_;
    int width_, height_;
};

// What the window shows, as a window-sized image in the server's 32-bit pixel layout, and
// its upload: through a shared-memory segment when the server offers the MIT-SHM
// extension and can attach our segment (a local server), else as plain image requests cut
// to the server's request size.
class X11Surface {
public:
    // depth is the window's (24 or 32, both 32 bits per pixel); swapBytes when the server
    // wants its pixels most significant byte first.
    static std::unique_ptr<X11Surface> Create(xcb_connection_t* connection, int width, int height,
                                              std::uint8_t depth, bool swapBytes,
                                              bool allowShared = true);
    ~X11Surface();
    X11Surface(const X11Surface&) = delete;
    X11Surface& operator=(const X11Surface&) = delete;

    // The pixels to upload; rows of Width() words.
    PixelBitmap& Pixels() { return *bitmap_; }
    // Copies rect of an editor bitmap in, opaque and in the server's byte order.
    void CopyFrom(const PixelBitmap& source, const IPlugRect& rect);
    // Sends rect to the window and waits until the server has taken it.
    void Upload(std::uint32_t window, std::uint32_t gc, const IPlugRect& rect);
    bool Shared() const { return segment_ != 0; }

private:
    X11Surface(xcb_connection_t* connection, int width, int height, std::uint8_t depth,
               bool swapBytes);
    bool AttachShared();

    xcb_connection_t* connection_;
    int width_, height_;
    std::uint8_t depth_;
    bool swapBytes_;
    std::uint32_t segment_ = 0;
    void* shared_ = nullptr;
    std::vector<std::uint32_t> plain_;
    std::vector<std::uint32_t> band_;
    std::unique_ptr<ForeignBitmap> bitmap_;
};
