#include "editor/x11/x11_editor_window.h"

#include "core/plug_base.h"
#include "editor/x11/desktop_scale.h"
#include "editor/x11/x11_entry_box.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uint32_t kEventMask = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                                     XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                                     XCB_EVENT_MASK_LEAVE_WINDOW | XCB_EVENT_MASK_KEY_PRESS |
                                     XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

// A visual whose pixels are our pixel words: 32 bits per pixel, red, green and blue in
// bits 16-23, 8-15 and 0-7. Depth 24 first; a 32-bit (alpha) visual when that is all there is.
struct VisualChoice {
    xcb_visualid_t visual = 0;
    std::uint8_t depth = 0;
};

bool HasPixmapFormat32(const xcb_setup_t* setup, std::uint8_t depth) {
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth) return it.data->bits_per_pixel == 32;
    return false;
}

VisualChoice ChooseVisual(const xcb_setup_t* setup, xcb_screen_t* screen) {
    for (std::uint8_t wanted : {std::uint8_t{24}, std::uint8_t{32}}) {
        if (!HasPixmapFormat32(setup, wanted)) continue;
        for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
            if (d.data->depth != wanted) continue;
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
                const xcb_visualtype_t* t = v.data;
                if (t->_class == XCB_VISUAL_CLASS_TRUE_COLOR && t->red_mask == 0xFF0000 &&
                    t->green_mask == 0xFF00 && t->blue_mask == 0xFF)
                    return {t->visual_id, wanted};
            }
        }
    }
    return {};
}

xcb_screen_t* ScreenOfRoot(const xcb_setup_t* setup, xcb_window_t root) {
    for (auto it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it))
        if (it.data->root == root) return it.data;
    return nullptr;
}

} // namespace

X11EditorWindow::X11EditorWindow(IPlugBase* plug, int width, int height, int framesPerSecond)
    : IPlugEditor(plug, width, height, framesPerSecond),
      period_(std::chrono::duration_cast<Clock::duration>(
          std::chrono::milliseconds(static_cast<int>(1000.0 / FramesPerSecond())))) {}

X11EditorWindow::~X11EditorWindow() {
    CloseEditorWindow();
}

void* X11EditorWindow::EditorWindowHandle() const {
    return window_ ? reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)) : nullptr;
}

std::uint32_t X11EditorWindow::Atom(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const std::uint32_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
}

bool X11EditorWindow::Connect() {
    // The editor's own connection, opened here and only here: never at library load, in
    // the constructor, effOpen or a scan, so that hosts scan without DISPLAY. The host's
    // Display (some pass it in `value`) is never used. XCB reports an error per request
    // and per connection, so we replace nothing process-wide (Xlib's error handler is),
    // and a server that goes away shows as an error on this connection only.
    int screen = 0;
    connection_ = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return false;
    }
    return true;
}

void X11EditorWindow::Disconnect() {
    surface_.reset();
    if (keyState_) xkb_state_unref(keyState_);
    if (keymap_) xkb_keymap_unref(keymap_);
    if (xkbContext_) xkb_context_unref(xkbContext_);
    keyState_ = nullptr;
    keymap_ = nullptr;
    xkbContext_ = nullptr;
    if (connection_) xcb_disconnect(connection_);
    connection_ = nullptr;
    window_ = parent_ = colormap_ = gc_ = root_ = visual_ = 0;
}

bool X11EditorWindow::CreateWindow(std::uint32_t parent, int x, int y, int w, int h) {
    // The parent tells us its screen; a parent id that is no window ends here.
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, parent), nullptr);
    if (!geometry) return false;
    root_ = geometry->root;
    std::free(geometry);
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    xcb_screen_t* screen = ScreenOfRoot(setup, root_);
    if (!screen) return false;
    const VisualChoice choice = ChooseVisual(setup, screen);
    if (!choice.visual) return false;

    // A colormap of our own and an explicit border: the parent may have another depth or
    // visual (a 32-bit host window), and borrowing either from it would then fail.
    colormap_ = xcb_generate_id(connection_);
    xcb_create_colormap(connection_, XCB_COLORMAP_ALLOC_NONE, colormap_, root_, choice.visual);
    window_ = xcb_generate_id(connection_);
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0, kEventMask, colormap_};
    xcb_generic_error_t* error = xcb_request_check(
        connection_,
        xcb_create_window_checked(
            connection_, choice.depth, window_, parent, static_cast<std::int16_t>(x),
            static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
            static_cast<std::uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, choice.visual,
            XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
            values));
    if (error) {
        std::free(error);
        window_ = 0;
        return false;
    }
    parent_ = parent;

    // XEmbed hosts map what asks to be mapped (version 0, flag mapped).
    const std::uint32_t xembedInfo[] = {0, 1};
    const std::uint32_t xembedAtom = Atom("_XEMBED_INFO");
    if (xembedAtom)
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, xembedAtom, xembedAtom, 32,
                            2, xembedInfo);
    SetSizeHints(w, h);
    const char name[] = "Velmorande";
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof name - 1, name);

    gc_ = xcb_generate_id(connection_);
    const std::uint32_t noExposures = 0;
    xcb_create_gc(connection_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);

    depth_ = choice.depth;
    visual_ = choice.visual;
    swapBytes_ = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    surface_ = X11Surface::Create(connection_, w, h, depth_, swapBytes_, allowShared_);

    // Keys through the server's keymap; without XKB the editor simply hears no keys.
    xkbContext_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (xkbContext_ && xkb_x11_setup_xkb_extension(connection_, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                   XKB_X11_MIN_MINOR_XKB_VERSION,
                                                   XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr,
                                                   nullptr, nullptr, nullptr)) {
        const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection_);
        if (device >= 0)
            keymap_ = xkb_x11_keymap_new_from_device(xkbContext_, connection_, device,
                                                     XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (keymap_) keyState_ = xkb_x11_state_new_from_device(keymap_, connection_, device);
    }

    xcb_map_window(connection_, window_);
    xcb_flush(connection_);
    return true;
}

void X11EditorWindow::SetSizeHints(int w, int h) {
    // A fixed size: position and size given, minimum = maximum = base.
    std::uint32_t hints[18] = {};
    hints[0] = (1u << 3) | (1u << 4) | (1u << 5) | (1u << 8);
    hints[3] = hints[5] = hints[7] = hints[15] = static_cast<std::uint32_t>(w);
    hints[4] = hints[6] = hints[8] = hints[16] = static_cast<std::uint32_t>(h);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
}

DisplayScale X11EditorWindow::DetectScale() {
    if (connection_) return DisplayScale::ForFactor(desktop_scale::Factor(connection_));
    // Asked for the size before a window exists: a look at the server, unless the
    // environment answers first. Without a display the scale stays.
    if (const auto f = desktop_scale::FromEnvironment(std::getenv("GDK_SCALE"),
                                                      std::getenv("QT_SCALE_FACTOR")))
        return DisplayScale::ForFactor(*f);
    if (!std::getenv("DISPLAY")) return Scale();
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const DisplayScale scale =
        xcb_connection_has_error(c) ? Scale() : DisplayScale::ForFactor(desktop_scale::Factor(c));
    xcb_disconnect(c);
    return scale;
}

void X11EditorWindow::ScaleChanged() {
    if (!window_ || windowGone_ || !connection_) return;
    // Our own window only: the host sizes its windows itself, told by the plug-in.
    const int w = WindowWidth(), h = WindowHeight();
    const std::uint32_t size[] = {static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)};
    SetSizeHints(w, h);
    xcb_configure_window(connection_, window_, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         size);
    surface_.reset();
    surface_ = X11Surface::Create(connection_, w, h, depth_, swapBytes_, allowShared_);
    xcb_flush(connection_);
}

void* X11EditorWindow::OpenEditorWindow(void* parentHandle) {
    const auto parent = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(parentHandle));
    bool reopened = false;
    int x = 0, y = 0, w = 0, h = 0;
    if (window_) {
        // Re-opened while open: the same size and place within the parent.
        if (!windowGone_) {
            xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(
                connection_, xcb_get_geometry(connection_, window_), nullptr);
            if (g) {
                x = g->x;
                y = g->y;
                w = g->width;
                h = g->height;
                reopened = true;
                std::free(g);
            }
        }
        CloseEditorWindow();
    }
    if (parent == 0 || !Connect()) return nullptr;
    if (!reopened) {
        // The desktop's scale, unless the host gave one.
        if (!HasHostScale()) SetScale(DetectScale());
        w = WindowWidth();
        h = WindowHeight();
    }
    if (!CreateWindow(parent, x, y, w, h)) {
        Disconnect();
        return nullptr;
    }
    windowGone_ = false;
    captured_ = tracking_ = false;
    clicks_ = ClickCounter{};
    MarkAllDirty();
    StartTimer();
    return EditorWindowHandle();
}

void X11EditorWindow::CloseEditorWindow() {
    if (!window_ && !connection_) {
        // Driven without a window, as the off-screen editor is: a wheel gesture ends now.
        EndCountdownNow();
        return;
    }
    // The thread first: after this only the caller runs editor code.
    StopTimer();
    std::lock_guard lock(editorMutex_);
    // A wheel gesture still counting down ends now.
    EndCountdownNow();
    // An open entry goes with the window, unapplied.
    Entry().Forget();
    if (connection_ && !xcb_connection_has_error(connection_)) {
        // The window may already be gone with its parent: that error is only dropped.
        if (window_) xcb_destroy_window(connection_, window_);
        if (gc_) xcb_free_gc(connection_, gc_);
        if (colormap_) xcb_free_colormap(connection_, colormap_);
        xcb_flush(connection_);
    }
    Disconnect();
    windowGone_ = false;
}

bool X11EditorWindow::CopyToScreen(const IPlugRect& rect) {
    if (!surface_ || windowGone_ || !DrawBitmap()) return true;
    surface_->CopyFrom(*DrawBitmap(), rect);
    // A box drawn inside the window lies over the picture, as a child window would.
    if (const X11EntryBox* box = OpenBox()) box->Overlay(surface_->Pixels(), rect);
    surface_->Upload(window_, gc_, rect);
    return true;
}

void X11EditorWindow::Resize(int width, int height) {
    IPlugEditor::Resize(width, height);
    ResizeBitmap(WindowWidth(), WindowHeight());
    ScaleChanged();
}

void X11EditorWindow::Repaint(const IPlugRect& rect) {
    const IPlugRect r = rect.Intersect({0, 0, WindowWidth(), WindowHeight()});
    if (!r.Empty()) DrawArea(r);
}

void X11EditorWindow::Idle() {
    // Only a dialog held open by the thread keeps the lock busy; then the host waits.
    std::unique_lock lock(editorMutex_, std::try_to_lock);
    if (!lock || !connection_) return;
    inIdle_ = true;
    Service(false);
    inIdle_ = false;
}

void X11EditorWindow::ServiceNow() {
    std::lock_guard lock(editorMutex_);
    if (connection_) Service(true);
}

void X11EditorWindow::Service(bool forceTick) {
    while (connection_) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection_);
        if (!event) break;
        HandleEvent(event);
        std::free(event);
    }
    // A server that went away: nothing more to show until the host closes us.
    if (connection_ && xcb_connection_has_error(connection_)) windowGone_ = true;

    const auto now = Clock::now();
    const Clock::time_point due{Clock::duration(nextTick_.load())};
    if (forceTick || now >= due) {
        // Keep the cadence; after a stall start again from now.
        Clock::time_point next = due + period_;
        if (next <= now) next = now + period_;
        nextTick_.store(next.time_since_epoch().count());
        // A window that went away with its parent only stops being copied to.
        Tick();
    }
}

void X11EditorWindow::StartTimer() {
    {
        std::lock_guard lock(timerMutex_);
        stopTimer_ = false;
    }
    nextTick_.store((Clock::now() + period_).time_since_epoch().count());
    timer_ = std::thread([this] { TimerLoop(); });
}

void X11EditorWindow::StopTimer() {
    if (!timer_.joinable()) return;
    {
        std::lock_guard lock(timerMutex_);
        stopTimer_ = true;
    }
    timerWake_.notify_all();
    timer_.join();
}

void X11EditorWindow::TimerLoop() {
    // Runs a tick that idle has not run within half a period of its time, with the events
    // waiting before it. Both locks are only tried: a host thread may hold the plug-in
    // lock while it waits for this thread to end.
    std::unique_lock wait(timerMutex_);
    while (!stopTimer_) {
        const Clock::time_point due =
            Clock::time_point{Clock::duration(nextTick_.load())} + period_ / 2;
        if (Clock::now() < due) {
            timerWake_.wait_until(wait, due);
            continue;
        }
        wait.unlock();
        bool ran = false;
        bool editorBusy = false;
        PlugMutex* plugLock = Plug() ? &Plug()->Mutex() : nullptr;
        if (!plugLock || plugLock->TryEnter()) {
            if (editorMutex_.try_lock()) {
                const Clock::time_point stillDue{Clock::duration(nextTick_.load())};
                if (connection_ && Clock::now() >= stillDue) Service(false);
                editorMutex_.unlock();
                ran = true;
            } else {
                editorBusy = true;
            }
            if (plugLock) plugLock->Leave();
        }
        wait.lock();
        // Held off by audio or the host: soon again; by a dialog: a period later.
        if (!ran) timerWake_.wait_for(wait, editorBusy ? period_ : std::chrono::milliseconds(1));
    }
}
