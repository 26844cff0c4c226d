// The LV2 panel: the effect's own editor in the host's X11 window. The panel runs an
// instance of the effect of its own that only drives the editor; values travel as port
// values both ways, so it works in hosts that keep the plug-in in another process.
#include "editor/plug_editor.h"
#include "lv2/lv2_plugin.h"
#include "lv2/plug_lv2.h"
#include "lv2/port_layout.h"
#include "lv2/port_values.h"

#include <lv2/core/lv2_util.h>

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
          touch(static_cast<const LV2UI_Touch*>(lv2_features_data(features, LV2_UI__touch))) {}

    void* parent;
    const LV2UI_Resize* resize;
    const LV2UI_Touch* touch;
};

class Lv2Panel : public Lv2Host {
public:
    Lv2Panel(LV2UI_Write_Function write, LV2UI_Controller controller, const PanelFeatures& features)
        : write_(write), controller_(controller), features_(features), plug_(CreateLv2Plug(this)) {
        if (!plug_) return;
        plug_->OpenForHost();
        layout_.params = plug_->NParams();
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
        RequestSize(editor->Width(), editor->Height());
        return window;
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

    void RequestSize(int width, int height) {
        if (features_.resize) features_.resize->ui_resize(features_.resize->handle, width, height);
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
    PortLayout layout_;
    bool open_ = false;
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

const void* ExtensionData(const char* uri) {
    static const LV2UI_Idle_Interface idle{Idle};
    if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idle;
    return nullptr;
}
} // namespace

LV2UI_Descriptor Lv2PanelDescriptor(const char* uiUri) {
    return {uiUri, Instantiate, Cleanup, PortEvent, ExtensionData};
}
