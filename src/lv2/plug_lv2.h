#pragma once

#include "core/plug_base.h"
#include "lv2/host_time.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// What the effect tells the LV2 side that drives it: the plug-in, whose control ports are
// the host's, or the panel, which writes them.
class Lv2Host {
public:
    virtual ~Lv2Host() = default;
    // A parameter set by the editor or by the effect itself, normalised.
    virtual void Automated(int /*paramIndex*/, double /*normalized*/) {}
    virtual void EditBegun(int /*paramIndex*/) {}
    virtual void EditEnded(int /*paramIndex*/) {}
    // The editor's window took a size of another scale or layout, in device pixels.
    virtual void EditorResized(int /*width*/, int /*height*/) {}
};

// The LV2 side of a plug-in, beside the VST 2.x one on the same base: the host's services
// as LV2 provides them (the transport from time:Position, edits reported to the plug-in or
// the panel), audio in single precision, and state as the effect's program chunk.
class IPlugLV2 : public IPlugBase {
public:
    // What an effect built for this format is given by its factory.
    using Host = Lv2Host*;

    IPlugLV2(Lv2Host* host, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* makerName, int version,
             int uniqueId, int makerId, int latency, int midiMode, bool doesChunks,
             bool isInstrument);
    ~IPlugLV2() override;

    // Host services.
    void HostBeginEdit(int paramIndex) override;
    void HostBeginEditUnlessPending(int paramIndex) override;
    void HostAutomate(int paramIndex, double normalized) override;
    void HostEndEdit(int paramIndex) override;
    void HostProgramChanged() override {}
    int HostSamplePosition() override;
    double HostTempo() override { return time_.tempo; }
    void HostTimeSignature(int& numerator, int& denominator) override;
    void OnEditorResized(int width, int height) override;
    // LV2 hosts are not told apart.
    void InitForHost() override;
    bool SendMidiMessage(const IMidiMsg&) override { return false; }
    bool SendSysExMessage(const ISysEx&) override { return false; }

    // The transport; the plug-in keeps it current from the host's events.
    Lv2Time& Time() { return time_; }
    // The effect takes the host's time at the start of each block: this empty one lets it
    // take a new tempo before any audio is heard.
    void TakeTime();
    // The host's buffers; a missing one is silence in, or written nowhere. The transport
    // moves on while it plays.
    void Process(const float* const* inputs, float* const* outputs, int frames);

    // The program chunk, as the VST 2.x library saves it, so that both restore each other's.
    std::vector<std::uint8_t> SaveProgramChunk();
    // Takes only a chunk of that format; one that does not load leaves the sound as it was.
    bool LoadProgramChunk(const void* data, std::size_t size);

private:
    Lv2Host* host_;
    Lv2Time time_;
    StateChunk chunk_;
};

// One instance of the effect the module is built with, talking to `host`; null when it
// cannot be built. Deleting it waits for whoever holds its lock.
struct Lv2PlugDeleter {
    void operator()(IPlugLV2* plug) const;
};
using Lv2Plug = std::unique_ptr<IPlugLV2, Lv2PlugDeleter>;
Lv2Plug CreateLv2Plug(Lv2Host* host);
