// Captures windows as an X server shows them, written as PNG, for the docs pictures (run
// under xvfb-run by tools/docs_pictures.sh). Two ways:
//   velmorande-x11-capture [--right-click X,Y] PLUGIN.so OUT.png
//     a VST 2.x plug-in's editor: the plug-in is loaded, its editor opened in a window of
//     ours and idled until drawn; with --right-click, right-clicked there (editor pixels)
//     and shown with the popup that opens, the window grown to hold it;
//   velmorande-x11-capture --window NAME OUT.png
//     another program's top-level window with that name (an LV2 host showing the panel),
//     once it is there and has been drawn.
#include "bitmap/heap_bitmap.h"
#include "bitmap/png_writer.h"
#include "vst/aeffect.h"
#include "vsthost/host_callback.h"
#include "vsthost/host_error.h"
#include "vsthost/plugin_instance.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// The rectangle's pixels, 0x00RRGGBB row by row, or nothing.
std::vector<std::uint32_t> Pixels(xcb_connection_t* c, xcb_drawable_t from, int x, int y, int w,
                                  int h) {
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, from, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h), ~0u),
        nullptr);
    std::vector<std::uint32_t> pixels;
    if (image && xcb_get_image_data_length(image) >= w * h * 4) {
        const auto* words = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
        pixels.assign(words, words + static_cast<std::size_t>(w) * h);
        for (std::uint32_t& p : pixels)
            p &= 0xFFFFFF;
    }
    std::free(image);
    return pixels;
}

bool WritePng(const std::vector<std::uint32_t>& pixels, int w, int h, const char* path) {
    if (pixels.size() != static_cast<std::size_t>(w) * h) return false;
    HeapBitmap bitmap(w, h, 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.Bits()[y * bitmap.RowSpan() + x] = pixels[y * w + x] | 0xFF000000u;
    return WritePngFile(bitmap, path);
}

std::string Name(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_ATOM_ANY, 0, 256), nullptr);
    std::string name;
    if (reply && reply->format == 8)
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return name;
}

bool Viewable(xcb_connection_t* c, xcb_window_t window) {
    auto* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return viewable;
}

// The first viewable window named `name`, looked for two levels down: a window manager
// puts top-levels into frames of its own.
xcb_window_t FindNamed(xcb_connection_t* c, xcb_window_t under, const std::string& name,
                       int depth) {
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, under), nullptr);
    if (!tree) return 0;
    std::vector<xcb_window_t> children(xcb_query_tree_children(tree),
                                       xcb_query_tree_children(tree) +
                                           xcb_query_tree_children_length(tree));
    std::free(tree);
    xcb_window_t found = 0;
    for (auto it = children.rbegin(); it != children.rend() && !found; ++it) // topmost first
        if (Name(c, *it, XCB_ATOM_WM_NAME) == name && Viewable(c, *it)) found = *it;
    for (auto it = children.rbegin(); it != children.rend() && !found && depth > 1; ++it)
        found = FindNamed(c, *it, name, depth - 1);
    return found;
}

bool Uniform(const std::vector<std::uint32_t>& pixels) {
    for (std::uint32_t p : pixels)
        if (p != pixels.front()) return false;
    return true;
}

// Waits up to ten seconds for the window to be there and drawn: not of one colour, and the
// same twice a quarter of a second apart (the host may draw its part and the panel's in
// turn). It is read from the root, so that children of another depth show as they are seen.
int CaptureNamedWindow(const char* name, const char* path) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::vector<std::uint32_t> last;
    int w = 0, h = 0;
    bool seen = false, written = false;
    while (!written && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const xcb_window_t window = FindNamed(c, root, name, 2);
        if (!window) continue;
        seen = true;
        auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
        auto* at = xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
        if (g && at && g->width == w && g->height == h) {
            auto now = Pixels(c, root, at->dst_x, at->dst_y, w, h);
            if (!now.empty() && !Uniform(now) && now == last) written = WritePng(now, w, h, path);
            last = std::move(now);
        } else if (g) {
            w = g->width;
            h = g->height;
            last.clear();
        }
        std::free(g);
        std::free(at);
    }
    xcb_disconnect(c);
    if (!written)
        std::fprintf(stderr,
                     seen ? "window \"%s\" was not drawn, or %s could not be written\n"
                          : "no window \"%s\" appeared\n",
                     name, path);
    return written ? 0 : 1;
}

// The topmost mapped override-redirect window: a popup.
xcb_window_t FindPopup(xcb_connection_t* c, xcb_window_t root) {
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (!tree) return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    xcb_window_t found = 0;
    for (int i = xcb_query_tree_children_length(tree) - 1; i >= 0 && !found; --i) {
        auto* a =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
        if (a && a->override_redirect && a->map_state == XCB_MAP_STATE_VIEWABLE)
            found = children[i];
        std::free(a);
    }
    std::free(tree);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--window") == 0)
        return CaptureNamedWindow(argv[2], argv[3]);
    int clickX = -1, clickY = -1;
    if (argc == 5 && std::strcmp(argv[1], "--right-click") == 0 &&
        std::sscanf(argv[2], "%d,%d", &clickX, &clickY) == 2) {
        argv += 2;
        argc -= 2;
    }
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: %s [--right-click X,Y] PLUGIN.so OUT.png\n"
                     "       %s --window NAME OUT.png\n",
                     argv[0], argv[0]);
        return 2;
    }
    vhost::HostCallback host;
    std::unique_ptr<vhost::PluginInstance> plugin;
    try {
        plugin = vhost::PluginInstance::Load(argv[1], host);
    } catch (const vhost::HostError& error) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], error.what());
        return 1;
    }
    plugin->Prepare(44100.0, 512);
    plugin->SetActive(true);
    AEffect* e = &plugin->Effect();
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

    int fw = w + 2 * margin, fh = h + 2 * margin;
    bool written = false;
    if (clickX < 0) {
        written = WritePng(Pixels(c, frame, 0, 0, fw, fh), fw, fh, argv[2]);
    } else {
        // The frame lies at the screen's origin.
        xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root,
                            static_cast<std::int16_t>(margin + clickX),
                            static_cast<std::int16_t>(margin + clickY), XCB_NONE);
        for (std::uint8_t type : {XCB_BUTTON_PRESS, XCB_BUTTON_RELEASE})
            xcb_test_fake_input(c, type, 3, XCB_CURRENT_TIME, XCB_NONE, 0, 0, XCB_NONE);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        // Up to two seconds for the popup, then the frame grown to hold it and the whole
        // read from the screen once it holds still.
        std::vector<std::uint32_t> last;
        for (int i = 0; i < 100 && !written; ++i) {
            dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const xcb_window_t popup = FindPopup(c, screen->root);
            auto* g =
                popup ? xcb_get_geometry_reply(c, xcb_get_geometry(c, popup), nullptr) : nullptr;
            if (!g) continue;
            const int wantW = std::max(fw, g->x + g->width + margin);
            const int wantH = std::max(fh, g->y + g->height + margin);
            std::free(g);
            if (wantW != fw || wantH != fh) {
                fw = wantW;
                fh = wantH;
                const std::uint32_t size[] = {static_cast<std::uint32_t>(fw),
                                              static_cast<std::uint32_t>(fh)};
                xcb_configure_window(c, frame, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                     size);
                last.clear();
                continue;
            }
            auto now = Pixels(c, screen->root, 0, 0, fw, fh);
            if (!now.empty() && now == last) written = WritePng(now, fw, fh, argv[2]);
            last = std::move(now);
        }
    }
    dispatch(effEditClose);
    plugin.reset();
    xcb_disconnect(c);
    if (!written) std::fprintf(stderr, "could not capture the window\n");
    return written ? 0 : 1;
}
