#include "editor_parent.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace vhost::validate {
namespace {

class X11Parent : public EditorParent {
public:
    X11Parent(xcb_connection_t* connection, int width, int height) : connection_(connection) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window_ = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0,
                          static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(connection, window_);
        xcb_flush(connection);
    }
    ~X11Parent() override {
        xcb_destroy_window(connection_, window_);
        xcb_flush(connection_);
        xcb_disconnect(connection_);
    }
    void* Handle() const noexcept override {
        return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_));
    }
    void Pump() override {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            std::free(event);
        xcb_flush(connection_);
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t window_ = 0;
};

} // namespace

std::unique_ptr<EditorParent> OpenEditorParent(int width, int height) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return nullptr;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::make_unique<X11Parent>(connection, width, height);
}

} // namespace vhost::validate
