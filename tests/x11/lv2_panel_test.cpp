// The LV2 panel as an LV2 host loads it: the bundle's module opened with dlopen, its UI
// instantiated into a window of the test's with the host's features recorded, driven with
// real input through the X server (XTest) and idled through its idle interface.
#include "x11/need_display.h"
#include "x11/x11_test_host.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 530, kHeight = 210;
constexpr const char* kPluginUri = VELMORANDE_LV2_URI;
enum Port : std::uint32_t {
    kDelayRate = 0,
    kDelayTime,
    kHostSync,
    kPingPong,
    kPanWidth,
    kFeedback,
    kFreq,
    kDryMix,
    kWetMix,
    kAudioIn = 9,
    kAudioOut = 11,
    kEvents = 13,
};

// Loaded once, as a host loads it, and kept for the process: unloading is not tested here.
const LV2UI_Descriptor* Descriptor(std::uint32_t index = 0) {
    static void* module = dlopen(VELMORANDE_LV2_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!module) return nullptr;
    using Entry = const LV2UI_Descriptor* (*)(std::uint32_t);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "lv2ui_descriptor"));
    return entry ? entry(index) : nullptr;
}

// The host's URID map, one for the process as a host has.
LV2_URID MapUri(LV2_URID_Map_Handle, const char* uri) {
    static std::mutex mutex;
    static std::map<std::string, LV2_URID> urids;
    std::lock_guard lock(mutex);
    return urids.emplace(uri, static_cast<LV2_URID>(urids.size() + 1)).first->second;
}
LV2_URID Urid(const char* uri) {
    return MapUri(nullptr, uri);
}

std::string BundlePath() {
    std::string path = VELMORANDE_LV2_MODULE_PATH;
    return path.substr(0, path.rfind('/') + 1);
}

// What one panel sends its host. A call is proper when it carries one float in format 0 and
// comes inside the host's idle() on the host's thread.
struct HostSide {
    struct Call {
        bool touch; // a touch's grab (1) or release (0), else a written value
        std::uint32_t port;
        float value;
        bool proper;
        bool operator==(const Call&) const = default;
        friend void PrintTo(const Call& c, std::ostream* out) {
            *out << (c.touch ? "touch " : "write ") << c.port << " " << c.value
                 << (c.proper ? "" : " (improper)");
        }
    };

    std::vector<Call> Calls() {
        std::lock_guard lock(mutex);
        return calls;
    }
    std::vector<std::pair<int, int>> Resizes() {
        std::lock_guard lock(mutex);
        return resizes;
    }
    void Clear() {
        std::lock_guard lock(mutex);
        calls.clear();
    }
    std::vector<float> Writes(std::uint32_t port) {
        std::vector<float> out;
        for (const Call& c : Calls())
            if (!c.touch && c.port == port) out.push_back(c.value);
        return out;
    }
    bool Released(std::uint32_t port) {
        for (const Call& c : Calls())
            if (c.touch && c.port == port && c.value == 0.0f) return true;
        return false;
    }
    bool Proper() const { return idling && std::this_thread::get_id() == thread; }

    static void Write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size,
                      std::uint32_t format, const void* buffer) {
        auto* self = static_cast<HostSide*>(controller);
        float v = std::numeric_limits<float>::quiet_NaN();
        if (size == sizeof v && buffer) std::memcpy(&v, buffer, sizeof v);
        std::lock_guard lock(self->mutex);
        self->calls.push_back({false, port, v, self->Proper() && size == sizeof v && format == 0});
    }
    static void Touch(LV2UI_Feature_Handle handle, std::uint32_t port, bool grabbed) {
        auto* self = static_cast<HostSide*>(handle);
        std::lock_guard lock(self->mutex);
        self->calls.push_back({true, port, grabbed ? 1.0f : 0.0f, self->Proper()});
    }
    static int Resize(LV2UI_Feature_Handle handle, int width, int height) {
        auto* self = static_cast<HostSide*>(handle);
        std::lock_guard lock(self->mutex);
        self->resizes.emplace_back(width, height);
        return 0;
    }

    std::mutex mutex;
    std::vector<Call> calls;
    std::vector<std::pair<int, int>> resizes;
    bool idling = false;
    const std::thread::id thread = std::this_thread::get_id();
};

// The features a host may offer. The URID map is always there, but may be one of no data.
enum Offer : unsigned { kParent = 1, kResize = 2, kTouch = 4, kAll = 7, kNoList = 8, kNoMap = 16 };

// One option for the host's options feature, and the list's zeroed end.
struct HostOptions {
    HostOptions(const char* key, const char* type, std::uint32_t size, const void* value)
        : list{{LV2_OPTIONS_INSTANCE, 0, Urid(key), size, type ? Urid(type) : 0, value}, {}} {}
    LV2_Options_Option list[2];
};

// One instance of the panel, as a host holds it.
class Panel {
public:
    Panel(std::uintptr_t parent, unsigned offers = kAll, const HostOptions* options = nullptr)
        : descriptor_(Descriptor()), resize_{&side, HostSide::Resize}, touch_{&side,
                                                                              HostSide::Touch} {
        LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)};
        LV2_Feature resizeFeature{LV2_UI__resize, &resize_};
        LV2_Feature touchFeature{LV2_UI__touch, &touch_};
        LV2_Feature map{LV2_URID__map, offers & kNoMap ? nullptr : &map_};
        LV2_Feature optionsFeature{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(
                                                             options ? options->list : nullptr)};
        std::vector<const LV2_Feature*> features{&map};
        if (offers & kParent) features.push_back(&parentFeature);
        if (offers & kResize) features.push_back(&resizeFeature);
        if (offers & kTouch) features.push_back(&touchFeature);
        if (options) features.push_back(&optionsFeature);
        features.push_back(nullptr);
        handle =
            descriptor_->instantiate(descriptor_, kPluginUri, BundlePath().c_str(), HostSide::Write,
                                     &side, &widget, offers & kNoList ? nullptr : features.data());
        const auto* idle = static_cast<const LV2UI_Idle_Interface*>(
            descriptor_->extension_data(LV2_UI__idleInterface));
        idle_ = idle ? idle->idle : nullptr;
    }
    ~Panel() { Cleanup(); }
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    void Cleanup() {
        if (handle) descriptor_->cleanup(handle);
        handle = nullptr;
    }

    xcb_window_t Window() const {
        return static_cast<xcb_window_t>(reinterpret_cast<std::uintptr_t>(widget));
    }

    // n idle calls, 10 ms apart, as a 100 Hz host makes them.
    void Idle(int n) {
        for (int i = 0; i < n; ++i) {
            side.idling = true;
            idle_(handle);
            side.idling = false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    bool IdleUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 300 && !done(); ++i)
            Idle(1);
        return done();
    }

    void PortEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format,
                   const void* buffer) {
        descriptor_->port_event(handle, port, size, format, buffer);
    }
    void Send(std::uint32_t port, float value) { PortEvent(port, sizeof value, 0, &value); }

    // Through the options interface, as a host changes its scale.
    std::uint32_t SetOption(const HostOptions& options) {
        const auto* i = static_cast<const LV2_Options_Interface*>(
            descriptor_->extension_data(LV2_OPTIONS__interface));
        return i ? i->set(handle, options.list) : ~0u;
    }
    // The scale the panel says it draws at, or 0.
    float ScaleFactor() {
        const auto* i = static_cast<const LV2_Options_Interface*>(
            descriptor_->extension_data(LV2_OPTIONS__interface));
        HostOptions asked(LV2_UI__scaleFactor, nullptr, 0, nullptr);
        if (!i || i->get(handle, asked.list) != LV2_OPTIONS_SUCCESS) return 0.0f;
        const LV2_Options_Option& o = asked.list[0];
        if (o.type != Urid(LV2_ATOM__Float) || o.size != sizeof(float) || !o.value) return 0.0f;
        return *static_cast<const float*>(o.value);
    }

    HostSide side;
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widget = nullptr;

private:
    const LV2UI_Descriptor* descriptor_;
    LV2UI_Resize resize_;
    LV2UI_Touch touch_;
    LV2_URID_Map map_{nullptr, MapUri};
    int (*idle_)(LV2UI_Handle) = nullptr;
};

// How many pixels two pictures differ in; -1 when they are not of one size.
long Differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    long n = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

bool Drawn(const std::vector<std::uint32_t>& pixels) {
    for (std::uint32_t p : pixels)
        if (p != pixels.front()) return true;
    return false;
}

class Lv2Panel : public ::testing::Test {
protected:
    void SetUp() override {
        NeedDisplay();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_NE(Descriptor(), nullptr) << dlerror();
        host = std::make_unique<X11TestHost>();
        parent = host->MakeParent();
    }

    std::unique_ptr<Panel> Open(xcb_window_t into) {
        auto panel = std::make_unique<Panel>(into);
        EXPECT_NE(panel->handle, nullptr);
        return panel;
    }

    std::vector<std::uint32_t> Pixels(Panel& p) {
        return host->Pixels(p.Window(), kWidth, kHeight);
    }

    // Idles until the window shows a picture that holds still, or gives nothing.
    std::vector<std::uint32_t> Settled(Panel& p) {
        std::vector<std::uint32_t> last;
        for (int i = 0; i < 40; ++i) {
            p.Idle(10);
            auto now = Pixels(p);
            if (Drawn(now) && now == last) return now;
            last = std::move(now);
        }
        return {};
    }

    // Idles until the picture is no longer `before`.
    bool Changes(Panel& p, const std::vector<std::uint32_t>& before) {
        return p.IdleUntil([&] { return Pixels(p) != before; });
    }

    void Drag(Panel& p, int x, int y, int dy) {
        host->MoveTo(p.Window(), x, y);
        host->Press(1);
        for (int step = 1; step <= 4; ++step)
            host->MoveTo(p.Window(), x, y + dy * step / 4);
        host->Release(1);
    }

    std::unique_ptr<X11TestHost> host;
    xcb_window_t parent = 0;
};

TEST_F(Lv2Panel, InstantiatesOnlyIntoAWindowTheHostGives) {
    const LV2UI_Descriptor* d = Descriptor();
    EXPECT_STREQ(d->URI, (std::string(kPluginUri) + "#panel").c_str());
    EXPECT_EQ(Descriptor(1), nullptr);
    EXPECT_NE(d->extension_data(LV2_UI__idleInterface), nullptr);
    EXPECT_NE(d->extension_data(LV2_OPTIONS__interface), nullptr);
    for (const char* uri : {LV2_UI__showInterface, LV2_UI__resize, ""})
        EXPECT_EQ(d->extension_data(uri), nullptr) << uri;

    constexpr std::uintptr_t kOurs = ~std::uintptr_t{0};
    const struct {
        const char* what;
        unsigned offers;
        std::uintptr_t window;
        bool opens;
    } cases[] = {
        {"no feature list", kNoList, kOurs, false},
        {"resize and touch but no parent", kResize | kTouch, kOurs, false},
        {"a parent of id 0", kAll, 0, false},
        {"a parent that is no window", kAll, 0x1FFFFF, false},
        {"a parent only", kParent, kOurs, true},
        {"everything", kAll, kOurs, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Panel panel(c.window == kOurs ? parent : c.window, c.offers);
        EXPECT_EQ(panel.handle != nullptr, c.opens);
        if (!c.opens) {
            EXPECT_EQ(host->EditorOf(parent), 0u) << "no window left behind";
            EXPECT_TRUE(panel.side.Resizes().empty());
            continue;
        }
        EXPECT_EQ(host->EditorOf(parent), panel.Window());
        EXPECT_EQ(panel.side.Resizes().size(), c.offers & kResize ? 1u : 0u);
        // Without touch the panel still reports its edits.
        host->Click(panel.Window(), 158, 93);
        ASSERT_TRUE(panel.IdleUntil([&] { return !panel.side.Writes(kHostSync).empty(); }));
        panel.Cleanup();
        host->Sync();
        EXPECT_EQ(host->EditorOf(parent), 0u) << "cleanup takes the window away";
    }
}

TEST_F(Lv2Panel, OpensAsTheParentsChildOfTheEditorsSizeAndSaysSo) {
    auto panel = Open(parent);
    ASSERT_NE(panel->Window(), 0u);
    EXPECT_EQ(host->EditorOf(parent), panel->Window());
    xcb_connection_t* c = host->Connection();
    auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, panel->Window()), nullptr);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(std::pair(int{g->width}, int{g->height}), std::pair(kWidth, kHeight));
    std::free(g);
    auto* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, panel->Window()), nullptr);
    ASSERT_NE(attributes, nullptr);
    EXPECT_EQ(attributes->map_state, XCB_MAP_STATE_VIEWABLE);
    std::free(attributes);
    EXPECT_EQ(panel->side.Resizes(), (std::vector<std::pair<int, int>>{{kWidth, kHeight}}));
    EXPECT_FALSE(Settled(*panel).empty()) << "the editor draws";
    EXPECT_TRUE(panel->side.Calls().empty()) << "opening edits nothing";
}

TEST_F(Lv2Panel, ClicksOnSyncReachTheHostAsPlainValuesOnlyInIdle) {
    auto panel = Open(parent);
    using Call = HostSide::Call;
    for (float expected : {0.0f, 1.0f}) {
        SCOPED_TRACE(expected);
        const auto before = Settled(*panel);
        ASSERT_FALSE(before.empty());
        panel->side.Clear();
        host->Click(panel->Window(), 158, 93);
        // The editor's own thread takes the click and redraws; the host hears nothing yet.
        bool redrawn = false;
        for (int i = 0; i < 300 && !redrawn; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            redrawn = Pixels(*panel) != before;
        }
        EXPECT_TRUE(redrawn);
        EXPECT_TRUE(panel->side.Calls().empty()) << "nothing before idle()";
        ASSERT_TRUE(panel->IdleUntil([&] { return panel->side.Released(kHostSync); }));
        panel->Idle(5);
        EXPECT_EQ(panel->side.Calls(), (std::vector<Call>{{true, kHostSync, 1.0f, true},
                                                          {false, kHostSync, expected, true},
                                                          {true, kHostSync, 0.0f, true}}));
    }
}

TEST_F(Lv2Panel, DraggingAControlWritesItsOwnPortWithinItsRange) {
    auto panel = Open(parent);
    ASSERT_FALSE(Settled(*panel).empty());
    // Dragging up turns knobs and sliders up.
    const struct {
        Port port;
        int x, y, dy;
        float before, min, max;
    } controls[] = {
        {kDelayRate, 74, 124, -40, 9, 0, 24},  {kPanWidth, 239, 122, 40, 90, -100, 100},
        {kFeedback, 310, 122, -40, 60, 0, 99}, {kFreq, 381, 122, -40, 6000, 100, 20000},
        {kDryMix, 444, 90, 60, 100, 0, 100},   {kWetMix, 481, 160, -40, 50, 0, 100},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.port);
        panel->side.Clear();
        Drag(*panel, c.x, c.y, c.dy);
        ASSERT_TRUE(panel->IdleUntil([&] { return panel->side.Released(c.port); }));
        panel->Idle(5);
        const auto calls = panel->side.Calls();
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls.front(), (HostSide::Call{true, c.port, 1.0f, true}));
        EXPECT_EQ(calls.back(), (HostSide::Call{true, c.port, 0.0f, true}));
        for (const auto& call : calls) {
            EXPECT_EQ(call.port, c.port);
            EXPECT_TRUE(call.proper);
        }
        const auto writes = panel->side.Writes(c.port);
        ASSERT_FALSE(writes.empty());
        for (float v : writes) {
            EXPECT_GE(v, c.min);
            EXPECT_LE(v, c.max);
            EXPECT_EQ(v, std::round(v)) << "every parameter is whole-numbered";
        }
        if (c.dy < 0)
            EXPECT_GT(writes.back(), c.before);
        else
            EXPECT_LT(writes.back(), c.before);
    }
}

TEST_F(Lv2Panel, HostValuesRedrawThePanelAndAreNeverSentBack) {
    auto panel = Open(parent);
    // In this order: the millisecond knob shows once Host Sync is off.
    const std::pair<Port, float> values[] = {
        {kFeedback, 0}, {kPanWidth, -100}, {kFreq, 20000}, {kDryMix, 0},       {kWetMix, 100},
        {kPingPong, 0}, {kDelayRate, 0},   {kHostSync, 0}, {kDelayTime, 1000}, {kFeedback, 99},
    };
    for (const auto& [port, value] : values) {
        SCOPED_TRACE(port);
        const auto before = Settled(*panel);
        ASSERT_FALSE(before.empty());
        panel->Send(port, value);
        EXPECT_TRUE(Changes(*panel, before));
        const auto after = Settled(*panel);
        // The host sending the same value again moves nothing.
        panel->Send(port, value);
        EXPECT_EQ(Differing(Settled(*panel), after), 0);
        EXPECT_TRUE(panel->side.Calls().empty()) << "no echo back to the host";
    }
}

TEST_F(Lv2Panel, TheEchoOfItsOwnEditMovesNothing) {
    auto panel = Open(parent);
    ASSERT_FALSE(Settled(*panel).empty());
    // Part-way through a drag, with the button still down, as a host echoes at its own pace.
    host->MoveTo(panel->Window(), 381, 122);
    host->Press(1);
    for (int y = 118; y >= 103; y -= 5)
        host->MoveTo(panel->Window(), 381, y);
    ASSERT_TRUE(panel->IdleUntil([&] { return !panel->side.Writes(kFreq).empty(); }));
    const auto during = Settled(*panel);
    const float own = panel->side.Writes(kFreq).back();
    panel->side.Clear();
    panel->Send(kFreq, own);
    EXPECT_EQ(Differing(Settled(*panel), during), 0);
    host->Release(1);
    ASSERT_TRUE(panel->IdleUntil([&] { return panel->side.Released(kFreq); }));
    EXPECT_TRUE(panel->side.Writes(kFreq).empty()) << "the knob did not move back";
    const auto after = Settled(*panel);
    panel->side.Clear();
    panel->Send(kFreq, own);
    EXPECT_EQ(Differing(Settled(*panel), after), 0);
    EXPECT_TRUE(panel->side.Calls().empty());
}

TEST_F(Lv2Panel, PortEventsThatAreNoParameterValueAreIgnored) {
    auto panel = Open(parent);
    const float zero = 0.0f, nan = std::numeric_limits<float>::quiet_NaN(),
                inf = std::numeric_limits<float>::infinity();
    const double wide = 0.0;
    const std::uint32_t urid = 7; // an atom type's URID, as format
    const struct {
        const char* what;
        std::uint32_t port, size, format;
        const void* buffer;
    } events[] = {
        {"another format", kFeedback, 4, urid, &zero}, {"a double", kFeedback, 8, 0, &wide},
        {"two bytes", kFeedback, 2, 0, &zero},         {"no bytes", kFeedback, 0, 0, nullptr},
        {"no buffer", kFeedback, 4, 0, nullptr},       {"not a number", kFeedback, 4, 0, &nan},
        {"audio in", kAudioIn, 4, 0, &zero},           {"audio out", kAudioOut + 1, 4, 0, &zero},
        {"the event input", kEvents, 4, urid, &zero},  {"past the ports", kEvents + 1, 4, 0, &zero},
        {"the last index", ~0u, 4, 0, &zero},
    };
    const auto before = Settled(*panel);
    ASSERT_FALSE(before.empty());
    for (const auto& e : events) {
        SCOPED_TRACE(e.what);
        panel->PortEvent(e.port, e.size, e.format, e.buffer);
        EXPECT_EQ(Differing(Settled(*panel), before), 0);
    }
    EXPECT_TRUE(panel->side.Calls().empty());
    // The same value, well formed, is seen.
    panel->Send(kFeedback, zero);
    EXPECT_TRUE(Changes(*panel, before));
    // Infinity is a number beyond the range: held to it, as the plug-in holds it.
    panel->Send(kFeedback, 99.0f);
    const auto top = Settled(*panel);
    panel->Send(kFeedback, 50.0f);
    panel->Send(kFeedback, inf);
    EXPECT_EQ(Differing(Settled(*panel), top), 0);
}

TEST_F(Lv2Panel, TheChoiceListShowsEveryValueAndWritesThePick) {
    auto panel = Open(parent);
    ASSERT_FALSE(Settled(*panel).empty());
    host->Click(panel->Window(), 74, 124, 3);
    xcb_window_t list = 0;
    ASSERT_TRUE(panel->IdleUntil([&] { return (list = host->Popup()) != 0; }));
    // Below the panel's edge: a header and all 25 values.
    const X11TestHost::Place at = host->PlaceOf(list), panelAt = host->PlaceOf(panel->Window());
    EXPECT_EQ(at.height, 20 + 25 * 18);
    EXPECT_GT(at.y + at.height, panelAt.y + kHeight);
    ASSERT_TRUE(panel->IdleUntil([&] { return panel->side.Released(kDelayRate); }))
        << "the right-click's own touch";
    panel->side.Clear();
    host->Key(0xFF57); // End
    host->Key(0xFF0D); // Return
    ASSERT_TRUE(panel->IdleUntil([&] { return panel->side.Released(kDelayRate); }));
    panel->Idle(5);
    const auto writes = panel->side.Writes(kDelayRate);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back(), 24.0f) << "the last value, 4/1";
    for (const auto& call : panel->side.Calls())
        EXPECT_TRUE(call.proper);
    EXPECT_TRUE(panel->IdleUntil([&] { return host->Popup() == 0; }));
}

TEST_F(Lv2Panel, CleanupAfterTheParentIsGoneOrMidDragLeavesTheHostRunning) {
    auto panel = Open(parent);
    ASSERT_FALSE(Settled(*panel).empty());
    host->DestroyWindow(parent);
    panel->Send(kFeedback, 0); // something to draw into the dead window
    panel->Idle(10);
    EXPECT_TRUE(panel->side.Calls().empty());
    panel.reset();

    // Taken away with the button down in the middle of a drag.
    const xcb_window_t fresh = host->MakeParent();
    panel = Open(fresh);
    ASSERT_FALSE(Settled(*panel).empty());
    host->MoveTo(panel->Window(), 310, 122);
    host->Press(1);
    host->MoveTo(panel->Window(), 310, 100);
    panel->Idle(3);
    panel.reset();
    host->Release(1);

    panel = Open(fresh);
    ASSERT_FALSE(Settled(*panel).empty());
    host->Click(panel->Window(), 158, 93);
    EXPECT_TRUE(panel->IdleUntil([&] { return panel->side.Released(kHostSync); }));
}

TEST_F(Lv2Panel, TwoPanelsAtOnceKeepToThemselves) {
    auto first = Open(parent);
    auto second = Open(host->MakeParent(0, 320));
    const auto firstShown = Settled(*first), secondShown = Settled(*second);
    ASSERT_FALSE(firstShown.empty());
    ASSERT_EQ(Differing(secondShown, firstShown), 0) << "both start from the same sound";

    host->Click(second->Window(), 158, 93);
    ASSERT_TRUE(second->IdleUntil([&] { return second->side.Released(kHostSync); }));
    first->Idle(10);
    EXPECT_EQ(second->side.Writes(kHostSync), std::vector<float>{0.0f});
    EXPECT_TRUE(first->side.Calls().empty());
    EXPECT_EQ(Differing(Settled(*first), firstShown), 0);

    second->side.Clear();
    first->Send(kFeedback, 0);
    EXPECT_TRUE(Changes(*first, firstShown));
    const auto secondNow = Settled(*second);
    EXPECT_GT(Differing(secondNow, secondShown), 0) << "its own click shows";
    second->Send(kHostSync, 0); // its own value: nothing moves
    EXPECT_EQ(Differing(Settled(*second), secondNow), 0);

    // The other one goes; this one goes on.
    second.reset();
    first->side.Clear();
    host->Click(first->Window(), 158, 93);
    ASSERT_TRUE(first->IdleUntil([&] { return first->side.Released(kHostSync); }));
    EXPECT_EQ(first->side.Writes(kHostSync), std::vector<float>{0.0f});
}

// The desktop's scale for the length of a test: Qt's variable, with GTK's (read first) unset.
class DesktopScale {
public:
    explicit DesktopScale(const char* factor) {
        for (const char* name : {"GDK_SCALE", "QT_SCALE_FACTOR"})
            if (const char* value = std::getenv(name)) saved_[name] = value;
        setenv("GDK_SCALE", "", 1);
        setenv("QT_SCALE_FACTOR", factor, 1);
    }
    ~DesktopScale() {
        for (const char* name : {"GDK_SCALE", "QT_SCALE_FACTOR"}) {
            const auto it = saved_.find(name);
            if (it == saved_.end())
                unsetenv(name);
            else
                setenv(name, it->second.c_str(), 1);
        }
    }

private:
    std::map<std::string, std::string> saved_;
};

// The panel at a scale shows the VST editor's picture at that scale, at its size.
class Lv2ScaledPanel : public Lv2Panel {
protected:
    void SetUp() override {
        Lv2Panel::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        fx = host->Open();
        ASSERT_NE(fx, nullptr);
        parent = host->MakeParent(0, 0, 1200, 500);
    }

    static std::pair<int, int> SizeAt(float factor) {
        return {static_cast<int>(kWidth * factor), static_cast<int>(kHeight * factor)};
    }
    std::pair<int, int> Geometry(xcb_window_t window) {
        const X11TestHost::Place at = host->PlaceOf(window);
        return {at.width, at.height};
    }
    // Idles until the window shows the VST editor's picture at the factor.
    bool Shows(Panel& p, float factor) {
        const auto [w, h] = SizeAt(factor);
        const auto picture = X11TestHost::Picture(fx, factor);
        return p.IdleUntil([&] { return host->Pixels(p.Window(), w, h) == picture; });
    }

    AEffect* fx = nullptr;
};

TEST_F(Lv2ScaledPanel, TheHostsScaleFactorOverridesTheDesktopsWhenItIsUsable) {
    const DesktopScale desktop("1.5");
    const float two = 2.0f, half = 1.5f, one = 1.0f, zero = 0.0f, negative = -2.0f,
                nan = std::numeric_limits<float>::quiet_NaN(),
                inf = std::numeric_limits<float>::infinity();
    const double twoWide = 2.0;
    const std::int32_t twoWhole = 2;
    const char text[] = "2";
    const char* const kFloat = LV2_ATOM__Float;
    const struct {
        const char* what;
        const char* type;
        std::uint32_t size;
        const void* value;
        float shown;
        unsigned offers = kAll;
    } cases[] = {
        {"2", kFloat, 4, &two, 2.0f},
        {"1.5", kFloat, 4, &half, 1.5f},
        {"1, below the desktop's", kFloat, 4, &one, 1.0f},
        {"2 as a double", LV2_ATOM__Double, 8, &twoWide, 2.0f},
        {"2 as an integer", LV2_ATOM__Int, 4, &twoWhole, 2.0f},
        // The desktop's scale for what is not a usable factor.
        {"0", kFloat, 4, &zero, 1.5f},
        {"-2", kFloat, 4, &negative, 1.5f},
        {"not a number", kFloat, 4, &nan, 1.5f},
        {"infinity", kFloat, 4, &inf, 1.5f},
        {"a string", LV2_ATOM__String, sizeof text, text, 1.5f},
        {"a float of no bytes", kFloat, 0, &two, 1.5f},
        {"a float of no value", kFloat, 4, nullptr, 1.5f},
        {"2 without a map to read it with", kFloat, 4, &two, 1.5f, kAll | kNoMap},
        {"no option", nullptr, 0, nullptr, 1.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const HostOptions options(LV2_UI__scaleFactor, c.type, c.size, c.value);
        Panel panel(parent, c.offers, c.type ? &options : nullptr);
        ASSERT_NE(panel.handle, nullptr);
        EXPECT_EQ(Geometry(panel.Window()), SizeAt(c.shown));
        EXPECT_TRUE(Shows(panel, c.shown));
        EXPECT_EQ(panel.side.Resizes(), std::vector{SizeAt(c.shown)}) << "told once, in pixels";
    }
}

TEST_F(Lv2ScaledPanel, AScaleSetLaterRedrawsAndResizesThroughTheHost) {
    const DesktopScale desktop("1");
    Panel panel(parent);
    ASSERT_NE(panel.handle, nullptr);
    ASSERT_TRUE(Shows(panel, 1.0f));
    EXPECT_EQ(panel.ScaleFactor(), 1.0f);
    const float two = 2.0f, half = 1.5f, one = 1.0f, zero = 0.0f,
                nan = std::numeric_limits<float>::quiet_NaN();
    const char text[] = "2";
    const struct {
        const char* what;
        HostOptions options;
        std::uint32_t status;
        float shown;
    } steps[] = {
        {"2", {LV2_UI__scaleFactor, LV2_ATOM__Float, 4, &two}, LV2_OPTIONS_SUCCESS, 2.0f},
        {"0", {LV2_UI__scaleFactor, LV2_ATOM__Float, 4, &zero}, LV2_OPTIONS_ERR_BAD_VALUE, 2.0f},
        {"not a number",
         {LV2_UI__scaleFactor, LV2_ATOM__Float, 4, &nan},
         LV2_OPTIONS_ERR_BAD_VALUE,
         2.0f},
        {"a string",
         {LV2_UI__scaleFactor, LV2_ATOM__String, 2, text},
         LV2_OPTIONS_ERR_BAD_VALUE,
         2.0f},
        {"another key",
         {LV2_UI__updateRate, LV2_ATOM__Float, 4, &one},
         LV2_OPTIONS_ERR_BAD_KEY,
         2.0f},
        {"1.5", {LV2_UI__scaleFactor, LV2_ATOM__Float, 4, &half}, LV2_OPTIONS_SUCCESS, 1.5f},
        {"1", {LV2_UI__scaleFactor, LV2_ATOM__Float, 4, &one}, LV2_OPTIONS_SUCCESS, 1.0f},
    };
    auto told = panel.side.Resizes();
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(panel.SetOption(s.options), s.status);
        // The host hears of a new size before set() returns, and of no size twice.
        if (told.back() != SizeAt(s.shown)) told.push_back(SizeAt(s.shown));
        EXPECT_EQ(panel.side.Resizes(), told);
        host->Sync();
        EXPECT_EQ(Geometry(panel.Window()), SizeAt(s.shown));
        EXPECT_TRUE(Shows(panel, s.shown));
        EXPECT_EQ(panel.ScaleFactor(), s.shown);
    }
}

} // namespace
