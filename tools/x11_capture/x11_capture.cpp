// Captures a VST 2.x plug-in's editor as an X server shows it: the plug-in is loaded,
// its editor opened in a window of ours, idled until drawn, and the window read back from
// the server and written as PNG. Run under xvfb-run for the docs picture.
// Usage: velmorande-x11-capture PLUGIN.so OUT.png
#include "bitmap/heap_bitmap.h"
#include "bitmap/png_writer.h"
#include "vst/aeffect.h"
#include "vsthost/host_callback.h"
#include "vsthost/host_error.h"
#include "vsthost/plugin_instance.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PLUGIN.so OUT.png\n", argv[0]);
        return 2;
    }
    vhost::HostCallback host;
    std::unique_ptr<vhost::PluginInstance> plugin;
    try {
        plugin = vhost::PluginInstance::load(argv[1], host);
    } catch (const vhost::HostError& error) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], error.what());
        return 1;
    }
    plugin->prepare(44100.0, 512);
    plugin->setActive(true);
    AEffect* e = &plugin->effect();
    auto dispatch = [e](VstInt32 op, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
        return e->dispatcher(e, op, 0, value, ptr, opt);
    };
    ERect* rect = nullptr;
    if (!(e->flags & effFlagsHasEditor) || dispatch(effEditGetRect, 0, &rect) != 1 || !rect) {
        std::fprintf(stderr, "the plug-in has no editor\n");
        return 1;
    }
    const int w = rect->right - rect->left, h = rect->bottom - rect->top, margin = 12;

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    // A frame around the host's window, so the picture shows the editor inside a window.
    const xcb_window_t frame = xcb_generate_id(c), parent = xcb_generate_id(c);
    const std::uint32_t frameColour = 0x3C3F44, parentColour = 0x000000;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, frame, screen->root, 0, 0, w + 2 * margin,
                      h + 2 * margin, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL, &frameColour);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, parent, frame, margin, margin, w, h, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                      &parentColour);
    xcb_map_window(c, parent);
    xcb_map_window(c, frame);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (dispatch(effEditOpen, 0, reinterpret_cast<void*>(std::uintptr_t{parent})) != 1) {
        std::fprintf(stderr, "the editor did not open\n");
        return 1;
    }
    for (int i = 0; i < 25; ++i) { // half a second of a 50 Hz host
        dispatch(effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    const int fw = w + 2 * margin, fh = h + 2 * margin;
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, frame, 0, 0, static_cast<std::uint16_t>(fw),
                      static_cast<std::uint16_t>(fh), ~0u),
        nullptr);
    bool written = false;
    if (image && xcb_get_image_data_length(image) >= fw * fh * 4) {
        HeapBitmap bitmap(fw, fh, 1);
        const auto* words = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x)
                bitmap.Bits()[y * bitmap.RowSpan() + x] = words[y * fw + x] | 0xFF000000u;
        written = WritePngFile(bitmap, argv[2]);
    }
    std::free(image);
    dispatch(effEditClose);
    plugin.reset();
    xcb_disconnect(c);
    if (!written) std::fprintf(stderr, "could not capture the window\n");
    return written ? 0 : 1;
}
