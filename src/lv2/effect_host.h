#pragma once

#include "vst/aeffect.h"

#include <cstdint>
#include <optional>
#include <vector>

class IPlugVST;

// What the effect asks of its host, passed on to the LV2 side that owns it.
class EffectListener {
public:
    virtual ~EffectListener() = default;
    // A parameter set in the editor (or by the effect itself), normalised.
    virtual void Automated(int /*paramIndex*/, float /*normalized*/) {}
    virtual void EditBegun(int /*paramIndex*/) {}
    virtual void EditEnded(int /*paramIndex*/) {}
    virtual void EditorResized(int /*width*/, int /*height*/) {}
};

// One instance of the effect, hosted in-process through its own VST 2.x interface: the same
// entry point, dispatcher and audio callbacks a VST 2.x host uses, so that the LV2 plug-in
// sounds and behaves exactly as the VST 2.x library does. This object is the host side:
// it answers the effect's requests (the time info among them) for the LV2 wrapper.
class EffectHost {
public:
    explicit EffectHost(EffectListener* listener = nullptr);
    ~EffectHost();
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    bool Valid() const { return effect_ != nullptr; }
    AEffect* Effect() const { return effect_; }
    IPlugVST* Plug() const;
    int NumParams() const { return effect_ ? effect_->numParams : 0; }

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    void Prepare(double sampleRate, int maxBlock);
    void SetActive(bool active);
    // A port's plain value; false when it is not a number or the index is not a parameter.
    bool SetFromPort(int paramIndex, float plain);
    // The parameter's plain value, as a port shows it.
    float PortValue(int paramIndex) const;

    // The program chunk: the current sound with its name, in the effect's own format.
    std::vector<std::uint8_t> SaveChunk();
    bool LoadChunk(const void* data, std::size_t size);

    // What audioMasterGetTime answers; the LV2 side keeps it current.
    VstTimeInfo& Time() { return time_; }

private:
    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
    VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    EffectListener* listener_;
    AEffect* effect_ = nullptr;
    VstTimeInfo time_{};
    int blockSize_ = 0;
    bool active_ = false;
};
