// The LV2 panel: the effect's own editor in the host's X11 window. The panel runs an
// instance of the effect of its own that only drives the editor; values travel as port
// values both ways, so it works in hosts that keep the plug-in in another process.
#include "editor/plug_editor.h"
#include "lv2/atom_number.h"
#include "lv2/lv2_plugin.h"
#include "lv2/plug_lv2.h"
#include "lv2/port_layout.h"
#include "lv2/port_values.h"

#include <lv2/core/lv2_util.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace {
// What the host offers the panel, read once from its feature list.
struct PanelFeatures {
    explicit PanelFeatures(const LV2_Feature* const* features)
        : parent(lv2_features_data(features, LV2_UI__parent)),
          resize(static_cast<const LV2UI_Resize*>(lv2_features_data(features, LV2_UI__resize))),
          touch(static_cast<const LV2UI_Touch*>(lv2_features_data(features, LV2_UI__touch))),
          map(static_cast<const LV2_URID_Map*>(lv2_features_data(features, LV2_URID__map))),
          options(static_cast<const LV2_Options_Option*>(
              lv2_features_data(features, LV2_OPTIONS__options))) {}

    void* parent;
    const LV2UI_Resize* resize;
    const LV2UI_Touch* touch;
    const LV2_URID_Map* map;
    const LV2_Options_Option* options;
};

// The host's ui:scaleFactor, the scale it draws its own UI at. Hosts give it as a float,
// a double or an integer; it can only be recognised with the host's URID map.
class ScaleOption {
public:
    explicit ScaleOption(const LV2_URID_Map* map)
        : numbers_(map), key_(MapUri(map, LV2_UI__scaleFactor)) {}

    bool Is(const LV2_Options_Option& o) const {
        return key_ != 0 && o.key == key_ && o.context == LV2_OPTIONS_INSTANCE;
    }
    // The factor in an option of this key; none when it is no positive number.
    std::optional<double> Factor(const LV2_Options_Option& o) const {
        const std::optional<double> v = AtomNumber(numbers_, o.type, o.size, o.value);
        return v && *v > 0.0 ? v : std::nullopt;
    }
    // The first usable one in a host's list.
    std::optional<double> Find(const LV2_Options_Option* options) const {
        for (const LV2_Options_Option* o = options; o && o->key != 0; ++o)
            if (Is(*o))
                if (const auto f = Factor(*o)) return f;
        return std::nullopt;
    }
    LV2_URID FloatType() const { return numbers_.atomFloat; }

private:
    NumberUrids numbers_;
    LV2_URID key_;
};

class Lv2Panel : public Lv2Host {
public:
    Lv2Panel(LV2UI_Write_Function write, LV2UI_Controller controller, const PanelFeatures& features)
        : write_(write), controller_(controller), features_(features), scale_(features.map),
          plug_(CreateLv2Plug(this)) {
        if (!plug_) return;
        plug_->OpenForHost();
        layout_.params = plug_->NParams();
        // The host's scale overrides the desktop's, as a VST host's content scale does.
        if (const auto factor = scale_.Find(features_.options)) SetHostScale(*factor);
    }

    ~Lv2Panel() override {
        if (open_) plug_->CloseEditor();
    }

    // The editor as a child of the host's window; its window is the widget.
    LV2UI_Widget Open() {
        IPlugEditor* editor = plug_ ? EditorOf(plug_.get()) : nullptr;
        if (!editor || !features_.parent) return nullptr;
        if (!plug_->OpenEditor(features_.parent)) return nullptr;
        open_ = true;
        void* window = editor->EditorWindowHandle();
        if (!window) return nullptr;
        RequestSize(editor->WindowWidth(), editor->WindowHeight());
        return window;
    }

    // The options interface: ui:scaleFactor only, answered as the factor the panel draws at.
    std::uint32_t GetOptions(LV2_Options_Option* options) {
        {
            PlugMutex::Guard lock(plug_->Mutex());
            const IPlugEditor* editor = EditorOf(plug_.get());
            shownFactor_ = editor ? static_cast<float>(editor->Scale().Factor()) : 1.0f;
        }
        std::uint32_t status = LV2_OPTIONS_SUCCESS;
        for (LV2_Options_Option* o = options; o && o->key != 0; ++o) {
            if (!scale_.Is(*o)) {
                status |= LV2_OPTIONS_ERR_BAD_KEY;
                continue;
            }
            o->size = sizeof shownFactor_;
            o->type = scale_.FloatType();
            o->value = &shownFactor_;
        }
        return status;
    }

    // A new scale redraws the panel at once; the host hears the new size before this returns.
    std::uint32_t SetOptions(const LV2_Options_Option* options) {
        std::uint32_t status = LV2_OPTIONS_SUCCESS;
        for (const LV2_Options_Option* o = options; o && o->key != 0; ++o) {
            if (!scale_.Is(*o)) {
                status |= LV2_OPTIONS_ERR_BAD_KEY;
            } else if (const auto factor = scale_.Factor(*o)) {
                SetHostScale(*factor);
            } else {
                status |= LV2_OPTIONS_ERR_BAD_VALUE;
            }
        }
        Flush();
        return status;
    }

    // A port value from the host. One the panel already shows is not set again: that is the
    // echo of the panel's own edit, and would pull a knob being dragged back to the rounded
    // value.
    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
        const int p = static_cast<int>(port);
        if (format != 0 || size != sizeof(float) || !buffer || !layout_.IsParam(p)) return;
        float v;
        std::memcpy(&v, buffer, sizeof v);
        if (v == PortValue(*plug_, p)) return;
        SetParameterFromPort(*plug_, p, v);
    }

    int Idle() {
        plug_->IdleEditor();
        Flush();
        return 0;
    }

    // The editor reports from whichever thread it runs on; the host's functions may only be
    // called from its UI thread, so reports wait for the next idle.
    void Automated(int paramIndex, double) override {
        Queue({Report::kValue, paramIndex, PortValue(*plug_, paramIndex)});
    }
    void EditBegun(int paramIndex) override { Queue({Report::kTouch, paramIndex, 1.0f}); }
    void EditEnded(int paramIndex) override { Queue({Report::kTouch, paramIndex, 0.0f}); }
    void EditorResized(int width, int height) override {
        std::lock_guard lock(mutex_);
        size_ = {width, height};
    }

private:
    struct Report {
        enum Kind { kValue, kTouch } kind;
        int param;
        float value;
    };

    void Queue(const Report& report) {
        if (!layout_.IsParam(report.param)) return;
        std::lock_guard lock(mutex_);
        reports_.push_back(report);
    }

    void SetHostScale(double factor) {
        PlugMutex::Guard lock(plug_->Mutex());
        if (IPlugEditor* editor = EditorOf(plug_.get())) editor->SetHostScale(factor);
    }

    // A size the host was already told is not told again.
    void RequestSize(int width, int height) {
        if (!features_.resize || told_ == std::pair(width, height)) return;
        told_ = {width, height};
        features_.resize->ui_resize(features_.resize->handle, width, height);
    }

    void Flush() {
        std::vector<Report> reports;
        std::optional<std::pair<int, int>> size;
        {
            std::lock_guard lock(mutex_);
            reports.swap(reports_);
            size.swap(size_);
        }
        for (const Report& r : reports) {
            const auto port = static_cast<uint32_t>(r.param);
            if (r.kind == Report::kValue && write_)
                write_(controller_, port, sizeof(float), 0, &r.value);
            else if (r.kind == Report::kTouch && features_.touch)
                features_.touch->touch(features_.touch->handle, port, r.value != 0.0f);
        }
        if (size) RequestSize(size->first, size->second);
    }

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const PanelFeatures features_;
    const ScaleOption scale_;
    float shownFactor_ = 1.0f;
    PortLayout layout_;
    bool open_ = false;
    std::pair<int, int> told_;
    std::mutex mutex_;
    std::vector<Report> reports_;
    std::optional<std::pair<int, int>> size_;
    Lv2Plug plug_; // last: it may report while being built
};

Lv2Panel* Self(LV2UI_Handle handle) {
    return static_cast<Lv2Panel*>(handle);
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char*, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    const PanelFeatures offered(features);
    if (!offered.parent || !widget) return nullptr;
    try {
        auto panel = std::make_unique<Lv2Panel>(write, controller, offered);
        *widget = panel->Open();
        return *widget ? panel.release() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

void Cleanup(LV2UI_Handle handle) {
    delete Self(handle);
}

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    Self(handle)->PortEvent(port, size, format, buffer);
}

int Idle(LV2UI_Handle handle) {
    return Self(handle)->Idle();
}

std::uint32_t GetOptions(LV2UI_Handle handle, LV2_Options_Option* options) {
    return Self(handle)->GetOptions(options);
}

std::uint32_t SetOptions(LV2UI_Handle handle, const LV2_Options_Option* options) {
    // A new scale allocates the editor's bitmap; nothing thrown may reach the host.
    try {
        return Self(handle)->SetOptions(options);
    } catch (...) {
        return LV2_OPTIONS_ERR_UNKNOWN;
    }
}

const void* ExtensionData(const char* uri) {
    static const LV2UI_Idle_Interface idle{Idle};
    static const LV2_Options_Interface options{GetOptions, SetOptions};
    if (!uri) return nullptr;
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idle;
    if (std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &options;
    return nullptr;
}
} // namespace

LV2UI_Descriptor Lv2PanelDescriptor(const char* uiUri) {
    return {uiUri, Instantiate, Cleanup, PortEvent, ExtensionData};
}
