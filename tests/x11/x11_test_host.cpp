#include "x11/x11_test_host.h"

#include "vst/editor_picture.h"

#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

bool X11TestHost::HaveDisplay() {
    if (!std::getenv("DISPLAY")) return false;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool ok = !xcb_connection_has_error(c);
    xcb_disconnect(c);
    return ok;
}

X11TestHost::X11TestHost() : TestHost(VELMORANDE_PLUGIN_PATH, "velmorande x11 tests") {
    if (!std::getenv("DISPLAY")) return;
    int screen = 0;
    connection_ = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection_)) {
        // Tests without a display only talk to the plug-in.
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screen; ++i)
        xcb_screen_next(&it);
    screen_ = it.data;
}

X11TestHost::~X11TestHost() {
    CloseAll(); // the editors go before the windows they live in
    if (connection_) {
        for (xcb_window_t w : windows_)
            xcb_destroy_window(connection_, w);
        xcb_disconnect(connection_);
    }
}

xcb_window_t X11TestHost::MakeParent(int x, int y, int width, int height, std::uint8_t depth) {
    const xcb_window_t w = xcb_generate_id(connection_);
    xcb_visualid_t visual = screen_->root_visual;
    std::uint32_t mask = XCB_CW_BACK_PIXEL;
    std::vector<std::uint32_t> values{0x202020};
    if (depth == 32) {
        // A parent of another depth than the screen's, as compositing hosts make.
        for (auto d = xcb_screen_allowed_depths_iterator(screen_); d.rem; xcb_depth_next(&d))
            if (d.data->depth == 32) visual = xcb_depth_visuals_iterator(d.data).data->visual_id;
        const xcb_colormap_t map = xcb_generate_id(connection_);
        xcb_create_colormap(connection_, XCB_COLORMAP_ALLOC_NONE, map, screen_->root, visual);
        mask |= XCB_CW_BORDER_PIXEL | XCB_CW_COLORMAP;
        values = {0xFF202020, 0, map};
    }
    xcb_create_window(connection_, depth ? depth : XCB_COPY_FROM_PARENT, w, screen_->root,
                      static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual, mask, values.data());
    xcb_map_window(connection_, w);
    Sync();
    windows_.push_back(w);
    return w;
}

void X11TestHost::DestroyWindow(xcb_window_t window) {
    std::erase(windows_, window);
    xcb_destroy_window(connection_, window);
    Sync();
}

bool X11TestHost::OpenEditor(AEffect* e, xcb_window_t parent) {
    return Dispatch(e, effEditOpen, 0, 0,
                    reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent))) == 1;
}

xcb_window_t X11TestHost::EditorOf(xcb_window_t parent) {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, parent), nullptr);
    if (!tree) return 0;
    const xcb_window_t child =
        xcb_query_tree_children_length(tree) == 1 ? xcb_query_tree_children(tree)[0] : 0;
    std::free(tree);
    return child;
}

xcb_window_t X11TestHost::Popup() {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, screen_->root), nullptr);
    if (!tree) return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    xcb_window_t found = 0;
    for (int i = xcb_query_tree_children_length(tree) - 1; i >= 0 && !found; --i) {
        xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, children[i]), nullptr);
        if (a && a->override_redirect && a->map_state == XCB_MAP_STATE_VIEWABLE)
            found = children[i];
        std::free(a);
    }
    std::free(tree);
    return found;
}

X11TestHost::Place X11TestHost::PlaceOf(xcb_window_t window) {
    Place place;
    xcb_get_geometry_reply_t* g =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, screen_->root, 0, 0), nullptr);
    if (g && at) place = {at->dst_x, at->dst_y, g->width, g->height};
    std::free(g);
    std::free(at);
    return place;
}

void X11TestHost::Idle(AEffect* e, int n) {
    for (int i = 0; i < n; ++i) {
        Dispatch(e, effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool X11TestHost::IdleUntil(AEffect* e, const std::function<bool()>& done) {
    for (int i = 0; i < 300; ++i) {
        if (done()) return true;
        Idle(e, 1);
    }
    return done();
}

bool X11TestHost::IdleUntilShown(AEffect* e, xcb_window_t window, int width, int height) {
    return IdleUntil(e, [&] {
        // Idles first: a change is drawn over two ticks, and the picture request would take
        // the second one's marks.
        Idle(e, 10);
        return Pixels(window, width, height) == Picture(e);
    });
}

void X11TestHost::Sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void X11TestHost::MoveTo(xcb_window_t window, int x, int y) {
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        connection_,
        xcb_translate_coordinates(connection_, window, screen_->root, static_cast<std::int16_t>(x),
                                  static_cast<std::int16_t>(y)),
        nullptr);
    if (!at) throw std::runtime_error("window is gone");
    xcb_test_fake_input(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen_->root,
                        at->dst_x, at->dst_y, XCB_NONE);
    std::free(at);
    Sync();
}

void X11TestHost::Press(int button) {
    xcb_test_fake_input(connection_, XCB_BUTTON_PRESS, static_cast<std::uint8_t>(button),
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, XCB_NONE);
    Sync();
}

void X11TestHost::Release(int button) {
    xcb_test_fake_input(connection_, XCB_BUTTON_RELEASE, static_cast<std::uint8_t>(button),
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, XCB_NONE);
    Sync();
}

void X11TestHost::Click(xcb_window_t window, int x, int y, int button) {
    MoveTo(window, x, y);
    Press(button);
    Release(button);
}

std::uint8_t X11TestHost::KeyCode(std::uint32_t keysym, bool& shift) {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        connection_,
        xcb_get_keyboard_mapping(connection_, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    if (!map) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    std::uint8_t code = 0;
    for (int k = 0; k < count && !code; ++k)
        for (int level = 0; level < 2 && level < map->keysyms_per_keycode; ++level)
            if (syms[k * map->keysyms_per_keycode + level] == keysym) {
                code = static_cast<std::uint8_t>(setup->min_keycode + k);
                shift = level == 1;
                break;
            }
    std::free(map);
    return code;
}

void X11TestHost::Key(std::uint32_t keysym) {
    bool shift = false;
    const std::uint8_t code = KeyCode(keysym, shift);
    if (!code) throw std::runtime_error("no key for keysym");
    bool dummy = false;
    const std::uint8_t shiftCode = KeyCode(0xFFE1, dummy);
    if (shift)
        xcb_test_fake_input(connection_, XCB_KEY_PRESS, shiftCode, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                            XCB_NONE);
    xcb_test_fake_input(connection_, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                        XCB_NONE);
    xcb_test_fake_input(connection_, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                        XCB_NONE);
    if (shift)
        xcb_test_fake_input(connection_, XCB_KEY_RELEASE, shiftCode, XCB_CURRENT_TIME, XCB_NONE, 0,
                            0, XCB_NONE);
    Sync();
}

void X11TestHost::Type(const char* text) {
    for (; *text; ++text)
        Key(static_cast<unsigned char>(*text)); // Latin-1 keysyms are their characters
}

std::vector<std::uint32_t> X11TestHost::Pixels(xcb_window_t window, int width, int height) {
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), ~0u),
        nullptr);
    if (!image) return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = data[i] & 0xFFFFFF;
    std::free(image);
    return pixels;
}

std::vector<std::uint32_t> X11TestHost::Picture(AEffect* e, float scale) {
    EditorPicture picture;
    if (Dispatch(e, effVendorSpecific, kEditorPictureRequest, 0, &picture, scale) != 1) return {};
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            pixels.push_back(picture.pixels[y * picture.rowSpan + x] & 0xFFFFFF);
    return pixels;
}
