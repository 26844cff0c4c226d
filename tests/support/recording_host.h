#pragma once

#include "core/plug_base.h"

#include <string>
#include <vector>

// What a host would have been told: every begin/end edit and automation, in order.
struct HostEvent {
    enum Kind { Begin, Automate, End } kind;
    int index;
    double value;
    bool operator==(const HostEvent&) const = default;
};

// Supplies the host side of a plug-in for tests: a settable tempo, and a log of the
// gestures and automation the plug-in reports. Beginning an edit first ends a pending
// wheel gesture, as the VST layer does; everything else is only recorded.
template <typename Base> class RecordingHost : public Base {
public:
    using Base::Base;
    ~RecordingHost() override { this->DestroyEditor(); }

    std::vector<HostEvent> events;
    double tempo = 120.0;

    void HostBeginEdit(int index) override {
        this->EndPendingEdit();
        events.push_back({HostEvent::Begin, index, 0.0});
    }
    void HostBeginEditUnlessPending(int index) override {
        PlugMutex::Guard lock(this->Mutex());
        if (index != this->PendingEdit()) HostBeginEdit(index);
    }
    void HostAutomate(int index, double normalized) override {
        events.push_back({HostEvent::Automate, index, normalized});
    }
    void HostEndEdit(int index) override { events.push_back({HostEvent::End, index, 0.0}); }
    void HostProgramChanged() override {}
    int HostSamplePosition() override { return 0; }
    double HostTempo() override { return tempo; }
    void HostTimeSignature(int& numerator, int& denominator) override {
        numerator = 4;
        denominator = 4;
    }
    void OnEditorResized(int, int) override {}
    void InitForHost() override {}
    bool SendMidiMessage(const IMidiMsg&) override { return true; }
    bool SendSysExMessage(const ISysEx&) override { return true; }

    int Count(HostEvent::Kind kind, int index = -1) const {
        int n = 0;
        for (const auto& e : events)
            if (e.kind == kind && (index < 0 || e.index == index)) ++n;
        return n;
    }
};
