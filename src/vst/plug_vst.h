#pragma once

#include "core/plug_base.h"
#include "vst/aeffect.h"

// The VST 2.x side of a plug-in: the descriptor the host holds, the dispatcher, the audio
// callbacks and the requests to the host.
class IPlugVST : public IPlugBase {
public:
    // What an effect built for this format is given by its factory.
    using Host = audioMasterCallback;

    IPlugVST(audioMasterCallback host, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* makerName, int version,
             int uniqueId, int makerId, int latency, int midiMode, bool doesChunks,
             bool isInstrument);
    ~IPlugVST() override;

    AEffect* Descriptor() { return &effect_; }
    static IPlugVST* FromDescriptor(AEffect* effect) {
        return effect ? static_cast<IPlugVST*>(effect->object) : nullptr;
    }

    void AttachEditor(IEditorLink* editor) override;
    void OnEditorResized(int width, int height) override;
    void SetLatency(int samples) override;

    // Host services.
    void HostBeginEdit(int paramIndex) override;
    void HostBeginEditUnlessPending(int paramIndex) override;
    void HostAutomate(int paramIndex, double normalized) override;
    void HostEndEdit(int paramIndex) override;
    void HostProgramChanged() override;
    int HostSamplePosition() override;
    double HostTempo() override;
    void HostTimeSignature(int& numerator, int& denominator) override;
    int HostId() override;
    void InitForHost() override;
    bool SendMidiMessage(const IMidiMsg& message) override;
    bool SendSysExMessage(const ISysEx& message) override;

    void SetHostIdentity(const char* productName, int hostVersion);
    static int HostIdFromName(const char* name);
    void LimitToStereo();

    // The host's requests, reached through the descriptor.
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    template <typename Sample, bool kAccumulate>
    void ProcessHostBlock(Sample** inputs, Sample** outputs, VstInt32 nFrames);

private:
    VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    const VstTimeInfo* HostTime(VstInt32 filter);

    VstIntPtr DispatchParameter(VstInt32 opcode, VstInt32 index, void* ptr);
    VstIntPtr DispatchVendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr CanDo(const char* question);
    VstIntPtr DrawEditorPicture(struct EditorPicture* picture, float scale);
    // Tells a host that can resize its window a size of the editor it has not seen.
    void TellHostEditorSize();
    VstIntPtr PinProperties(bool isInput, VstInt32 index, void* ptr);
    void SetSpeakerArrangement(const VstSpeakerArrangement* in, const VstSpeakerArrangement* out);
    void ProcessEvents(const VstEvents* events);

    ERect editorRect_{};
    // The editor's size as the host last learnt it.
    ERect hostRect_{};
    audioMasterCallback host_;
    VstSpeakerArrangement inputArrangement_{};
    VstSpeakerArrangement outputArrangement_{};
    bool hostSetUpDone_ = false;
    StateChunk programChunk_;
    StateChunk bankChunk_;
    AEffect effect_{};
};
