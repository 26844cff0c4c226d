// The LV2 panel: the effect's own editor in the host's X11 window. The panel runs an
// instance of the effect of its own that only drives the editor; values travel as port
// values both ways, so it works in hosts that keep the plug-in in another process.
#include "editor/plug_editor.h"
#include "lv2/effect_host.h"
#include "lv2/lv2_plugin.h"
#include "lv2/port_layout.h"
#include "vst/plug_vst.h"

#include <lv2/core/lv2_util.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {
class Lv2Panel : public EffectListener {
public:
    Lv2Panel(LV2UI_Write_Function write, LV2UI_Controller controller,
             const LV2_Feature* const* features)
        : write_(write), controller_(controller),
          resize_(static_cast<const LV2UI_Resize*>(lv2_features_data(features, LV2_UI__resize))),
          touch_(static_cast<const LV2UI_Touch*>(lv2_features_data(features, LV2_UI__touch))) {
        layout_.params = host_.NumParams();
    }

    ~Lv2Panel() override {
        if (open_) host_.Dispatch(effEditClose);
    }

    // The editor as a child of the host's window; its window is the widget.
    LV2UI_Widget Open(void* parent) {
        if (!host_.Valid() || !parent) return nullptr;
        ERect* rect = nullptr;
        if (!host_.Dispatch(effEditGetRect, 0, 0, &rect) || !rect) return nullptr;
        if (!host_.Dispatch(effEditOpen, 0, 0, parent)) return nullptr;
        open_ = true;
        IPlugEditor* editor = EditorOf(host_.Plug());
        void* window = editor ? editor->EditorWindowHandle() : nullptr;
        if (!window) return nullptr;
        if (resize_) resize_->ui_resize(resize_->handle, rect->right - rect->left,
                                        rect->bottom - rect->top);
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
        if (v == host_.PortValue(p)) return;
        host_.SetFromPort(p, v);
    }

    int Idle() {
        host_.Dispatch(effEditIdle);
        Flush();
        return 0;
    }

    // The editor reports from whichever thread it runs on; the host's functions may only be
    // called from its UI thread, so reports wait for the next idle.
    void Automated(int paramIndex, float) override {
        Queue({Report::kValue, paramIndex, host_.PortValue(paramIndex)});
    }
    void EditBegun(int paramIndex) override { Queue({Report::kTouch, paramIndex, 1.0f}); }
    void EditEnded(int paramIndex) override { Queue({Report::kTouch, paramIndex, 0.0f}); }

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

    void Flush() {
        std::vector<Report> reports;
        {
            std::lock_guard lock(mutex_);
            reports.swap(reports_);
        }
        for (const Report& r : reports) {
            const auto port = static_cast<uint32_t>(r.param);
            if (r.kind == Report::kValue && write_)
                write_(controller_, port, sizeof(float), 0, &r.value);
            else if (r.kind == Report::kTouch && touch_)
                touch_->touch(touch_->handle, port, r.value != 0.0f);
        }
    }

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Resize* resize_;
    const LV2UI_Touch* touch_;
    PortLayout layout_;
    bool open_ = false;
    std::mutex mutex_;
    std::vector<Report> reports_;
    EffectHost host_{this}; // last: it may report while being built
};

Lv2Panel* Self(LV2UI_Handle handle) {
    return static_cast<Lv2Panel*>(handle);
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char*, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    void* parent = lv2_features_data(features, LV2_UI__parent);
    if (!parent || !widget) return nullptr;
    try {
        auto panel = std::make_unique<Lv2Panel>(write, controller, features);
        *widget = panel->Open(parent);
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
