#pragma once

#include "core/editor_link.h"
#include "core/plug_mutex.h"
#include "core/plug_param.h"
#include "core/plug_types.h"
#include "core/pointer_list.h"
#include "core/state_chunk.h"

#include <cstdint>
#include <initializer_list>

// The host-independent plug-in: parameters, presets, channel routing and the lock that
// serialises the host's threads and the editor. The host side is supplied by a subclass.
class IPlugBase {
public:
    static constexpr int kNameSize = 128;

    IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* makerName, int version, int uniqueId,
              int makerId, int latency, int midiMode, bool doesChunks, bool isInstrument);
    virtual ~IPlugBase();
    IPlugBase(const IPlugBase&) = delete;
    IPlugBase& operator=(const IPlugBase&) = delete;

    // Hooks for the effect.
    virtual void OnReset();
    virtual void OnParamChanged(int paramIndex);
    virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
    virtual void OnEditorOpened() {}
    virtual void OnEditorClosed() {}
    virtual void OnIdle() {}
    virtual void OnActiveChanged(bool active);
    virtual void OnMidiMessage(const IMidiMsg& /*message*/) {}
    virtual void OnSysEx(const ISysEx& /*message*/) {}
    virtual bool GetMidiNoteName(int note, char* text);
    virtual bool SaveState(StateChunk& chunk) { return SaveParams(chunk); }
    virtual int LoadState(const StateChunk& chunk, int position) {
        return LoadParams(chunk, position);
    }

    // The host side.
    virtual void HostBeginEdit(int paramIndex) = 0;
    virtual void HostBeginEditUnlessPending(int paramIndex) = 0;
    virtual void HostAutomate(int paramIndex, double normalized) = 0;
    virtual void HostEndEdit(int paramIndex) = 0;
    virtual void HostProgramChanged() = 0;
    virtual int HostSamplePosition() = 0;
    virtual double HostTempo() = 0;
    virtual void HostTimeSignature(int& numerator, int& denominator) = 0;
    virtual int HostId() { return hostId_; }
    virtual void OnEditorResized(int width, int height) = 0;
    virtual void OnHostIdentified() {}
    virtual void InitForHost() = 0;
    // Takes ownership; a second editor replaces the first.
    virtual void AttachEditor(IEditorLink* editor);
    virtual void SetBlockSize(int nFrames);
    virtual void SetLatency(int samples) { latency_ = samples; }
    virtual bool SendMidiMessage(const IMidiMsg& message) = 0;
    virtual bool SendMidiMessages(const IMidiMsg* messages, int count);
    virtual bool SendSysExMessage(const ISysEx& message) = 0;
    virtual bool SaveParams(StateChunk& chunk);
    virtual int LoadParams(const StateChunk& chunk, int position);
    virtual bool SavePresets(StateChunk& chunk);
    virtual int LoadPresets(const StateChunk& chunk, int position);

    // What every format layer does when its host opens the instance, changes the sample
    // rate, the largest block or the processing state, picks a program, or opens, idles and
    // closes the editor's window. Each takes the lock.
    void OpenForHost();
    // A rate that is not a positive number keeps the one in force; the reset follows anyway.
    void ChangeSampleRate(double rate);
    void ChangeBlockSize(long long frames);
    void ChangeActive(bool active);
    // The program being left keeps its edits; an index out of range selects nothing.
    void ChangeProgram(long long index);
    void* OpenEditor(void* parent);
    void IdleEditor();
    bool CloseEditor();

    // Parameter flow between host, editor and effect.
    void SetParameterFromEditor(int paramIndex, double normalized);
    void SetParameterFromHost(int paramIndex, float normalized);
    float GetParameterForHost(int paramIndex);
    void EndEditLater(int paramIndex);
    void EndPendingEdit();
    void NotifyAllParams();
    void PushParamsToEditor();

    // Presets.
    void AddDefaultPresets(const char* name, int count);
    // One value per parameter, in parameter order; stored as given, clamped on loading.
    void AddPreset(const char* name, std::initializer_list<double> values);
    void EnsurePreset();
    void StoreCurrentPreset(const char* name = nullptr);
    bool LoadPreset(int index);
    const char* PresetName(int index) const;
    void NextUserPresetName(char* buffer, int size) const;
    void WriteChunkHeader(StateChunk& chunk) const;
    // The host's chunk exchange; `isBank` picks the format. The chunk is the buffer that
    // stays valid for the host until its next request of the same kind.
    int WriteHostChunk(StateChunk& chunk, bool isBank);
    bool ReadHostChunk(StateChunk& chunk, const void* data, int size, bool isBank);

    // Channels.
    void ConnectInputs(int first, int count, bool connected);
    void ConnectOutputs(int first, int count, bool connected);
    bool SupportsChannels(int inputs, int outputs) const;

    int VersionNumber(bool decimal) const;
    void VersionText(char* buffer, int size) const;
    void SetSampleRate(double rate) { sampleRate_ = rate; }

    IPlugParam* GetParam(int index) const { return params_.Get(index); }
    int NParams() const { return params_.Count(); }
    int NPresets() const { return presets_.Count(); }
    IPlugPreset* GetPreset(int index) const { return presets_.Get(index); }
    int CurrentPreset() const { return currentPreset_; }
    double GetSampleRate() const { return sampleRate_; }
    int GetBlockSize() const { return blockSize_; }
    int GetLatency() const { return latency_; }
    IEditorLink* GetEditor() const { return editor_; }
    PlugMutex& Mutex() { return mutex_; }
    int PendingEdit() const { return pendingEdit_; }
    int NInputs() const { return inputChannels_.Count(); }
    int NOutputs() const { return outputChannels_.Count(); }
    int NChannelConfigs() const { return channelConfigs_.Count(); }
    const ChannelConfig* GetChannelConfig(int index) const { return channelConfigs_.Get(index); }
    const char* EffectName() const { return effectName_; }
    const char* ProductName() const { return productName_; }
    const char* MakerName() const { return makerName_; }
    int UniqueId() const { return uniqueId_; }
    int MakerId() const { return makerId_; }
    int Version() const { return version_; }
    bool DoesChunks() const { return doesChunks_; }
    bool IsInstrument() const { return isInstrument_; }
    int MidiMode() const { return midiMode_; }
    int HostVersion() const { return hostVersion_; }

protected:
    // The host's buffers through ProcessBlock, for a format layer, under the lock:
    // single-precision samples are converted both ways, the outputs added to (kAccumulate)
    // or replaced. A block longer than the block size is processed in pieces that fit; a
    // missing input buffer reads as silence, a missing output buffer is not written.
    // Nothing thrown gets out: a failed block is silence.
    template <typename Sample, bool kAccumulate>
    void ProcessHostAudio(const Sample* const* inputs, Sample* const* outputs, int nFrames);
    // True only inside a ProcessBlock whose inputs the single-precision conversion found
    // free of NaN and infinity: the effect need not look for them again.
    bool InputsKnownFinite() const { return inputsKnownFinite_; }

    InputChannel* GetInputChannel(int index) const { return inputChannels_.Get(index); }
    OutputChannel* GetOutputChannel(int index) const { return outputChannels_.Get(index); }
    double** InputTable() { return inputTable_.As<double*>(); }
    double** OutputTable() { return outputTable_.As<double*>(); }
    // Closes and deletes the editor. Subclasses that talk to the host call this in their
    // destructor, while the editor's last words (a pending end of edit) can still reach it.
    void DestroyEditor();
    void StoreHostIdentity(int hostId, int hostVersion) {
        hostId_ = hostId;
        hostVersion_ = hostVersion;
    }

private:
    template <typename Sample, bool kAccumulate>
    void ProcessHostPieces(const Sample* const* inputs, Sample* const* outputs, int nFrames);
    void BindInputs(const double* const* inputs, int offset, int nFrames);
    void BindOutputs(double* const* outputs, int offset);
    bool BindInputs(const float* const* inputs, int offset, int nFrames);
    void BindOutputs(float* const* outputs, int offset);
    template <bool kAccumulate> void WriteBack(int nFrames);
    template <typename Sample> void ClearHostOutputs(Sample* const* outputs, int nFrames);
    void ParseChannelString(const char* channelIOStr, int& maxInputs, int& maxOutputs);
    template <typename Channel> static void ResizeScratch(Channel& channel, int nFrames);
    template <typename Channel> static void Disconnect(Channel& channel);

    OwnedList<ChannelConfig> channelConfigs_;
    OwnedList<IPlugParam> params_;
    OwnedList<IPlugPreset> presets_;
    int currentPreset_ = 0;
    int pendingEdit_ = -1;
    PlugMutex mutex_;
    char effectName_[kNameSize] = {};
    char productName_[kNameSize] = {};
    char makerName_[kNameSize] = {};
    int uniqueId_;
    int makerId_;
    int version_;
    int hostId_ = -1;
    int hostVersion_ = 0;
    bool doesChunks_;
    bool isInstrument_;
    int midiMode_;
    double sampleRate_ = 44100.0;
    int blockSize_ = 0;
    int latency_;
    IEditorLink* editor_ = nullptr;
    GrowBuffer inputTable_{4096};
    GrowBuffer outputTable_{4096};
    OwnedList<InputChannel> inputChannels_;
    OwnedList<OutputChannel> outputChannels_;
    bool inputsKnownFinite_ = false;
};
