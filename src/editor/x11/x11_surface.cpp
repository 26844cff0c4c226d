#include "editor/x11/x11_surface.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

std::unique_ptr<X11Surface> X11Surface::Create(xcb_connection_t* connection, int width, int height,
                                               std::uint8_t depth, bool swapBytes,
                                               bool allowShared) {
    if (width <= 0 || height <= 0) return nullptr;
    std::unique_ptr<X11Surface> surface(
        new X11Surface(connection, width, height, depth, swapBytes));
    if (!(allowShared && !swapBytes && surface->AttachShared()))
        surface->plain_.assign(static_cast<std::size_t>(width) * height, 0);
    std::uint32_t* bits =
        surface->shared_ ? static_cast<std::uint32_t*>(surface->shared_) : surface->plain_.data();
    surface->bitmap_ = std::make_unique<ForeignBitmap>(bits, width, height);
    return surface;
}

X11Surface::X11Surface(xcb_connection_t* connection, int width, int height, std::uint8_t depth,
                       bool swapBytes)
    : connection_(connection), width_(width), height_(height), depth_(depth),
      swapBytes_(swapBytes) {}

bool X11Surface::AttachShared() {
    xcb_shm_query_version_reply_t* version =
        xcb_shm_query_version_reply(connection_, xcb_shm_query_version(connection_), nullptr);
    if (!version) return false;
    std::free(version);

    const std::size_t bytes = static_cast<std::size_t>(width_) * height_ * 4;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) return false;
    void* memory = shmat(id, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(connection_);
    xcb_generic_error_t* error =
        xcb_request_check(connection_, xcb_shm_attach_checked(connection_, segment, id, 1));
    // Marked for removal at once: it goes when the server and we have let go, even if the
    // host crashes.
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        // A server on another machine cannot see our memory.
        std::free(error);
        shmdt(memory);
        return false;
    }
    std::memset(memory, 0, bytes);
    segment_ = segment;
    shared_ = memory;
    return true;
}

X11Surface::~X11Surface() {
    if (segment_) {
        xcb_shm_detach(connection_, segment_);
        xcb_flush(connection_);
    }
    if (shared_) shmdt(shared_);
}

void X11Surface::CopyFrom(const PixelBitmap& source, const IPlugRect& rect) {
    const IPlugRect r = rect.Intersect(
        {0, 0, std::min(width_, source.Width()), std::min(height_, source.Height())});
    const std::uint32_t* from = source.Bits();
    if (r.Empty() || !from) return;
    std::uint32_t* to = bitmap_->Bits();
    for (int y = r.top; y < r.bottom; ++y) {
        const int sourceRow = source.IsFlipped() ? source.Height() - 1 - y : y;
        const std::uint32_t* s = from + static_cast<std::size_t>(sourceRow) * source.RowSpan();
        std::uint32_t* d = to + static_cast<std::size_t>(y) * width_;
        // Opaque: a 32-bit window's top byte is its alpha, and the panel is opaque.
        for (int x = r.left; x < r.right; ++x)
            d[x] = s[x] | 0xFF000000u;
        if (swapBytes_)
            for (int x = r.left; x < r.right; ++x)
                d[x] = __builtin_bswap32(d[x]);
    }
}

void X11Surface::Upload(std::uint32_t window, std::uint32_t gc, const IPlugRect& rect) {
    const IPlugRect r = rect.Intersect({0, 0, width_, height_});
    if (r.Empty()) return;
    if (segment_) {
        xcb_shm_put_image(connection_, window, gc, width_, height_, r.left, r.top, r.W(), r.H(),
                          r.left, r.top, depth_, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment_, 0);
    } else {
        // Bands of whole rows that fit one request.
        const std::size_t maxBytes =
            static_cast<std::size_t>(xcb_get_maximum_request_length(connection_)) * 4;
        const std::size_t rowBytes = static_cast<std::size_t>(r.W()) * 4;
        const int rowsPerBand = std::max<int>(1, static_cast<int>((maxBytes - 64) / rowBytes));
        const std::uint32_t* bits = bitmap_->Bits();
        for (int top = r.top; top < r.bottom; top += rowsPerBand) {
            const int rows = std::min(rowsPerBand, r.bottom - top);
            band_.resize(static_cast<std::size_t>(r.W()) * rows);
            for (int y = 0; y < rows; ++y)
                std::memcpy(&band_[static_cast<std::size_t>(y) * r.W()],
                            bits + static_cast<std::size_t>(top + y) * width_ + r.left, rowBytes);
            xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, r.W(), rows, r.left,
                          top, 0, depth_, static_cast<std::uint32_t>(rowBytes * rows),
                          reinterpret_cast<const std::uint8_t*>(band_.data()));
        }
    }
    // A round trip: the server has read the segment before we write it again, and the
    // pixels are on the screen when this returns.
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}
