#include "host/editor_window.h"

#include "host/command_errors.h"
#include "host/terminal.h"
#include "vst/vendor_codes.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace vhost {

namespace {

struct Connection {
    xcb_connection_t* c;
    explicit Connection(xcb_connection_t* connection) : c(connection) {}
    ~Connection() { xcb_disconnect(c); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
};

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

} // namespace

void RunEditorWindow(PluginInstance& plugin, std::ostream& out, std::optional<double> scale) {
    if (!plugin.HasFlag(effFlagsHasEditor)) throw HostError("the plug-in offers no editor");
    if (scale)
        plugin.Dispatch(effVendorSpecific, kVendorPreSonus, kVendorContentScale, nullptr,
                        static_cast<float>(*scale));
    ERect* rect = nullptr;
    if (plugin.Dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect)
        throw HostError("the plug-in gives no editor size");
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
        throw HostError("the plug-in gives an editor size that cannot be shown");

    Connection x(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(x.c)) throw HostError("no X display (is DISPLAY set?)");
    xcb_connection_t* c = x.c;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;

    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->black_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0,
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string title = "velmorande-host: " + plugin.EffectName();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    // The window manager's close button sends a message instead of killing the connection.
    const xcb_atom_t protocols = InternAtom(c, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = InternAtom(c, "WM_DELETE_WINDOW");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, protocols, XCB_ATOM_ATOM, 32, 1,
                        &deleteWindow);
    std::uint32_t hints[18] = {};
    hints[0] = (1u << 4) | (1u << 5); // fixed: minimum and maximum size
    hints[5] = hints[7] = static_cast<std::uint32_t>(width);
    hints[6] = hints[8] = static_cast<std::uint32_t>(height);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    xcb_map_window(c, window);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    // Plug-ins get our window's id; the Display* some hosts pass as well is Xlib's, and we
    // have none.
    if (plugin.Dispatch(effEditOpen, 0, 0,
                        reinterpret_cast<void*>(static_cast<std::uintptr_t>(window))) == 0) {
        xcb_destroy_window(c, window);
        throw HostError("the plug-in's editor did not open");
    }
    out << "editor open; close its window to go on\n" << std::flush;

    CatchInterrupts();
    bool open = true;
    auto nextIdle = std::chrono::steady_clock::now();
    while (open && !InterruptRequested() && !xcb_connection_has_error(c)) {
        // Idle at 50 Hz, as hosts do, and wake for our window's events in between.
        const auto now = std::chrono::steady_clock::now();
        if (now >= nextIdle) {
            plugin.Dispatch(effEditIdle);
            nextIdle = now + std::chrono::milliseconds(20);
        }
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextIdle - now).count();
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(std::max<long long>(0, wait)));
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const int type = event->response_type & 0x7F;
            if (type == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (message->type == protocols && message->data.data32[0] == deleteWindow)
                    open = false;
            } else if (type == XCB_DESTROY_NOTIFY) {
                open = false;
            }
            std::free(event);
        }
    }
    plugin.Dispatch(effEditClose);
    xcb_destroy_window(c, window);
    xcb_flush(c);
    if (InterruptRequested()) throw InterruptedError();
}

} // namespace vhost
