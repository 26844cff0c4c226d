// The window layer's upload paths, shared memory and plain image requests, against what the
// server then holds.
#include "bitmap/heap_bitmap.h"
#include "editor/x11/x11_surface.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(X11Surface, BothUploadPathsPutExactlyTheRectangleOnTheScreen) {
    if (!std::getenv("DISPLAY")) {
        if (std::getenv("VELMORANDE_X11_REQUIRED")) FAIL() << "no X display";
        GTEST_SKIP() << "no X display";
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    ASSERT_EQ(screen->root_depth, 24);
    const int w = 700, h = 420; // more than one plain request's worth
    HeapBitmap source(w, h, 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            source.Bits()[y * source.RowSpan() + x] =
                0x80000000u | (static_cast<std::uint32_t>(x * 977 + y * 131) & 0xFFFFFF);

    for (bool shared : {true, false}) {
        const xcb_window_t window = xcb_generate_id(c);
        const std::uint32_t black = 0;
        xcb_create_window(c, 24, window, screen->root, 0, 0, w, h, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, XCB_CW_BACK_PIXEL, &black);
        xcb_map_window(c, window);
        const xcb_gcontext_t gc = xcb_generate_id(c);
        xcb_create_gc(c, gc, window, 0, nullptr);
        auto surface = X11Surface::Create(c, w, h, 24, false, shared);
        ASSERT_NE(surface, nullptr);
        EXPECT_EQ(surface->Shared(), shared) << "Xvfb is local and offers MIT-SHM";
        const IPlugRect part{13, 7, 650, 401};
        surface->CopyFrom(source, part);
        surface->Upload(window, gc, part);

        xcb_get_image_reply_t* image = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, w, h, ~0u), nullptr);
        ASSERT_NE(image, nullptr);
        const auto* got = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint32_t want =
                    part.Contains(x, y) ? source.Bits()[y * source.RowSpan() + x] & 0xFFFFFF : 0;
                wrong += (got[y * w + x] & 0xFFFFFF) != want;
            }
        EXPECT_EQ(wrong, 0) << (shared ? "shared memory" : "plain images");
        std::free(image);
        xcb_destroy_window(c, window);
    }
    xcb_disconnect(c);
}

} // namespace
