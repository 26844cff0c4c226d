// The X11 editor in a real X server: how long one knob turn takes from the input event to
// its pixels on the screen, and what an open, untouched editor costs a host idling at
// 50 Hz, at 1x and at twice the panel's pixels (a host's content scale of 2).
#include "editor/x11/x11_editor_window.h"
#include "plugin/velmorande.h"
#include "vst/aeffect.h"
#include "vst/vendor_codes.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace {

// A host's window on a connection of the host's own, and XTest to move the pointer.
struct HostWindow {
    xcb_connection_t* c = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_window_t window = 0;

    HostWindow() {
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c)) return;
        screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1100, 450, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(c, window);
        Sync();
    }
    ~HostWindow() { xcb_disconnect(c); }
    bool Ok() const { return window != 0; }
    void Sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
    void Input(std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0) {
        xcb_test_fake_input(c, type, detail, XCB_CURRENT_TIME,
                            type == XCB_MOTION_NOTIFY ? screen->root : XCB_NONE,
                            static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), XCB_NONE);
        Sync();
    }
};

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

void KnobTurnToScreen(benchmark::State& state, bool shared) {
    HostWindow host;
    if (!host.Ok()) return state.SkipWithError("no X display");
    VSTCLASS fx;
    auto* editor = dynamic_cast<X11EditorWindow*>(fx.GetEditor());
    editor->AllowSharedMemory(shared);
    editor->SetHostScale(static_cast<double>(state.range(0)) / 100.0);
    const int f = static_cast<int>(state.range(0)) / 100;
    const bool opened =
        editor->OpenEditorWindow(reinterpret_cast<void*>(std::uintptr_t{host.window}));
    if (!opened || editor->UsesSharedMemory() != shared)
        return state.SkipWithError("editor did not open as asked");
    editor->ServiceNow();
    // Press on the Feedback knob, then move a panel pixel up and down: each move turns it.
    host.Input(XCB_MOTION_NOTIFY, 0, 310 * f, 122 * f);
    host.Input(XCB_BUTTON_PRESS, 1);
    editor->ServiceNow();
    int step = f;
    for (auto _ : state) {
        step = -step;
        // The event reaches the server, the editor takes it, redraws the knob and puts
        // its pixels into the window; the upload waits for the server's answer.
        host.Input(XCB_MOTION_NOTIFY, 0, 310 * f, 122 * f + step);
        editor->ServiceNow();
    }
    host.Input(XCB_BUTTON_RELEASE, 1);
    editor->ServiceNow();
    editor->CloseEditorWindow();
}

void IdleCpu(benchmark::State& state) {
    HostWindow host;
    if (!host.Ok()) return state.SkipWithError("no X display");
    VSTCLASS fx;
    AEffect* e = fx.Descriptor();
    // Without the editor: what the host's own idling costs, for comparison.
    const bool open = state.range(1) != 0;
    e->dispatcher(e, effVendorSpecific, kVendorPreSonus, kVendorContentScale, nullptr,
                  static_cast<float>(state.range(2)) / 100.0f);
    if (open && e->dispatcher(e, effEditOpen, 0, 0,
                              reinterpret_cast<void*>(std::uintptr_t{host.window}), 0) != 1)
        return state.SkipWithError("editor did not open");
    for (int i = 0; i < 10; ++i) // first paint done
        e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0);
    const auto seconds = std::chrono::seconds(state.range(0));
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double cpuStart = ProcessSeconds();
        const auto start = std::chrono::steady_clock::now();
        auto next = start;
        while (std::chrono::steady_clock::now() - start < seconds) {
            e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0);
            next += std::chrono::milliseconds(20);
            std::this_thread::sleep_until(next);
        }
        cpu += ProcessSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0);
    state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
}

} // namespace

BENCHMARK_CAPTURE(KnobTurnToScreen, shared_memory, true)
    ->ArgName("percent")
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(KnobTurnToScreen, plain_images, false)
    ->ArgName("percent")
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(IdleCpu)
    ->ArgNames({"seconds", "editor_open", "percent"})
    ->Args({10, 1, 100})
    ->Args({10, 1, 200})
    ->Args({10, 0, 100})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
