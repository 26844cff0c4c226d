#include "core/plug_base.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
// Blocks beyond this many frames are not announced by any real host; a larger number is
// held to it rather than sizing scratch buffers of gigabytes.
constexpr long long kLargestBlock = 1 << 24;
} // namespace

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* makerName, int version, int uniqueId,
                     int makerId, int latency, int midiMode, bool doesChunks, bool isInstrument)
    : uniqueId_(uniqueId), makerId_(makerId), version_(version), doesChunks_(doesChunks),
      isInstrument_(isInstrument), midiMode_(midiMode), latency_(latency) {
    for (int i = 0; i < nParams; ++i)
        params_.Add(new IPlugParam());
    for (int i = 0; i < nPresets; ++i) {
        auto* preset = new IPlugPreset();
        std::snprintf(preset->name, sizeof preset->name, "- %d -", i + 1);
        presets_.Add(preset);
    }
    CopyText(effectName_, effectName, kNameSize);
    CopyText(productName_, productName, kNameSize);
    CopyText(makerName_, makerName, kNameSize);

    int maxInputs = 0, maxOutputs = 0;
    ParseChannelString(channelIOStr, maxInputs, maxOutputs);
    inputTable_.Resize(maxInputs * static_cast<int>(sizeof(double*)));
    outputTable_.Resize(maxOutputs * static_cast<int>(sizeof(double*)));
    for (int i = 0; i < maxInputs; ++i) {
        InputTable()[i] = nullptr;
        auto* channel = new InputChannel();
        channel->slot = &InputTable()[i];
        inputChannels_.Add(channel);
    }
    for (int i = 0; i < maxOutputs; ++i) {
        OutputTable()[i] = nullptr;
        auto* channel = new OutputChannel();
        channel->slot = &OutputTable()[i];
        outputChannels_.Add(channel);
    }
}

IPlugBase::~IPlugBase() {
    DestroyEditor();
    params_.DeleteAll();
    presets_.DeleteAll();
    inputChannels_.DeleteAll();
    outputChannels_.DeleteAll();
    channelConfigs_.DeleteAll();
}

void IPlugBase::DestroyEditor() {
    IEditorLink* editor = editor_;
    delete editor; // may still call back (EndPendingEdit), so editor_ stays set until gone
    editor_ = nullptr;
}

void IPlugBase::ParseChannelString(const char* text, int& maxInputs, int& maxOutputs) {
    if (!text) return;
    const char* p = text;
    while (true) {
        // "%d-%d"; a count that cannot be read is 0.
        char* end = nullptr;
        long in = std::strtol(p, &end, 10);
        int inputs = 0, outputs = 0;
        if (end != p) {
            inputs = static_cast<int>(std::clamp(in, 0L, 64L));
            if (*end == '-') {
                const char* q = end + 1;
                long out = std::strtol(q, &end, 10);
                if (end != q) outputs = static_cast<int>(std::clamp(out, 0L, 64L));
            }
        }
        channelConfigs_.Add(new ChannelConfig{inputs, outputs});
        maxInputs = std::max(maxInputs, inputs);
        maxOutputs = std::max(maxOutputs, outputs);
        const char* space = std::strchr(p, ' ');
        if (!space) break;
        p = space + 1;
    }
}

void IPlugBase::OnReset() {
    PlugMutex::Guard lock(mutex_);
}

void IPlugBase::OnParamChanged(int) {
    PlugMutex::Guard lock(mutex_);
}

void IPlugBase::OnActiveChanged(bool) {
    PlugMutex::Guard lock(mutex_);
}

void IPlugBase::ProcessBlock(double** inputs, double** outputs, int nFrames) {
    if (nFrames <= 0) return;
    int shared = std::min(NInputs(), NOutputs());
    for (int i = 0; i < shared; ++i)
        std::copy_n(inputs[i], nFrames, outputs[i]);
    for (int i = shared; i < NOutputs(); ++i)
        std::fill_n(outputs[i], nFrames, 0.0);
}

bool IPlugBase::GetMidiNoteName(int, char* text) {
    if (text) text[0] = '\0';
    return false;
}

template <typename Channel> void IPlugBase::ResizeScratch(Channel& channel, int nFrames) {
    GrowBuffer& scratch = channel.scratch;
    if (scratch.Resize(nFrames * static_cast<int>(sizeof(double)), true))
        std::fill_n(scratch.As<double>(), std::max(nFrames, 0), 0.0);
    else
        scratch.Free(); // nothing half-sized: an empty scratch is never handed out
    if (!channel.connected) *channel.slot = scratch.template As<double>();
}

template <typename Channel> void IPlugBase::Disconnect(Channel& channel) {
    GrowBuffer& scratch = channel.scratch;
    std::fill_n(scratch.As<double>(), scratch.Size() / static_cast<int>(sizeof(double)), 0.0);
    *channel.slot = scratch.template As<double>();
}

void IPlugBase::SetBlockSize(int nFrames) {
    if (nFrames == blockSize_) return;
    nFrames = std::clamp(nFrames, 0, 0x7FFFFFFF / static_cast<int>(sizeof(double)));
    for (int i = 0; i < NInputs(); ++i)
        ResizeScratch(*GetInputChannel(i), nFrames);
    for (int i = 0; i < NOutputs(); ++i)
        ResizeScratch(*GetOutputChannel(i), nFrames);
    blockSize_ = nFrames;
}

void IPlugBase::ConnectInputs(int first, int count, bool connected) {
    int last = std::min<long long>(static_cast<long long>(first) + count, NInputs());
    for (int i = std::max(first, 0); i < last; ++i) {
        InputChannel& channel = *GetInputChannel(i);
        channel.connected = connected;
        if (!connected) Disconnect(channel);
    }
}

void IPlugBase::ConnectOutputs(int first, int count, bool connected) {
    int last = std::min<long long>(static_cast<long long>(first) + count, NOutputs());
    for (int i = std::max(first, 0); i < last; ++i) {
        OutputChannel& channel = *GetOutputChannel(i);
        channel.connected = connected;
        if (!connected) Disconnect(channel);
    }
}

bool IPlugBase::SupportsChannels(int inputs, int outputs) const {
    for (int i = 0; i < channelConfigs_.Count(); ++i) {
        const ChannelConfig& config = *channelConfigs_.Get(i);
        if ((inputs < 0 || inputs == config.inputs) && (outputs < 0 || outputs == config.outputs))
            return true;
    }
    return false;
}

void IPlugBase::OpenForHost() {
    PlugMutex::Guard lock(mutex_);
    InitForHost();
    NotifyAllParams();
}

void IPlugBase::ChangeSampleRate(double rate) {
    PlugMutex::Guard lock(mutex_);
    // A rate that is not a positive number would make every filter and length
    // meaningless: keep the one in force.
    if (rate > 0.0 && std::isfinite(rate)) SetSampleRate(rate);
    OnReset();
}

void IPlugBase::ChangeBlockSize(long long frames) {
    PlugMutex::Guard lock(mutex_);
    SetBlockSize(static_cast<int>(std::clamp(frames, 0LL, kLargestBlock)));
    OnReset();
}

void IPlugBase::ChangeActive(bool active) {
    PlugMutex::Guard lock(mutex_);
    OnActiveChanged(active);
    if (!active) OnReset();
}

void IPlugBase::ChangeProgram(long long index) {
    PlugMutex::Guard lock(mutex_);
    StoreCurrentPreset(); // the program being left keeps its edits
    if (index >= 0 && index < NPresets()) LoadPreset(static_cast<int>(index));
}

void* IPlugBase::OpenEditor(void* parent) {
    PlugMutex::Guard lock(mutex_);
    void* window = editor_ ? editor_->OpenEditorWindow(parent) : nullptr;
    if (window) OnEditorOpened();
    return window;
}

void IPlugBase::IdleEditor() {
    PlugMutex::Guard lock(mutex_);
    if (editor_) editor_->Idle();
}

bool IPlugBase::CloseEditor() {
    PlugMutex::Guard lock(mutex_);
    if (!editor_) return false;
    OnEditorClosed();
    editor_->CloseEditorWindow();
    return true;
}

void IPlugBase::SetParameterFromEditor(int paramIndex, double normalized) {
    PlugMutex::Guard lock(mutex_);
    IPlugParam* param = GetParam(paramIndex);
    if (!param) return;
    param->SetFromNormalized(normalized);
    HostAutomate(paramIndex, normalized);
    OnParamChanged(paramIndex);
}

void IPlugBase::SetParameterFromHost(int paramIndex, float normalized) {
    PlugMutex::Guard lock(mutex_);
    IPlugParam* param = GetParam(paramIndex);
    if (!param) return;
    if (editor_) editor_->PushValueToControls(paramIndex, normalized, true);
    param->SetFromNormalized(normalized);
    OnParamChanged(paramIndex);
}

float IPlugBase::GetParameterForHost(int paramIndex) {
    PlugMutex::Guard lock(mutex_);
    IPlugParam* param = GetParam(paramIndex);
    return param ? static_cast<float>(param->NormalizedValue()) : 0.0f;
}

void IPlugBase::EndEditLater(int paramIndex) {
    PlugMutex::Guard lock(mutex_);
    if (editor_) {
        pendingEdit_ = paramIndex;
        editor_->SetEndEditCountdown(std::max(1, editor_->FramesPerSecond() / 2));
    } else {
        HostEndEdit(paramIndex);
    }
}

void IPlugBase::EndPendingEdit() {
    PlugMutex::Guard lock(mutex_);
    if (editor_) editor_->ClearEndEditCountdown();
    if (pendingEdit_ >= 0) {
        int index = pendingEdit_;
        pendingEdit_ = -1;
        HostEndEdit(index);
    }
}

void IPlugBase::NotifyAllParams() {
    for (int i = 0; i < NParams(); ++i)
        OnParamChanged(i);
}

void IPlugBase::PushParamsToEditor() {
    if (!editor_) return;
    for (int i = 0; i < NParams(); ++i)
        editor_->PushValueToControls(i, GetParam(i)->Value(), false);
}

void IPlugBase::AttachEditor(IEditorLink* editor) {
    if (!editor) return;
    PlugMutex::Guard lock(mutex_);
    std::unique_ptr<IEditorLink> owned(editor); // ours even if setting it up fails
    for (int i = 0; i < NParams(); ++i)
        editor->PushValueToControls(i, GetParam(i)->NormalizedValue(), true);
    editor->CreateDrawSurface();
    delete editor_; // attached once; a second editor replaces the first without leaking it
    editor_ = owned.release();
}

bool IPlugBase::SendMidiMessages(const IMidiMsg* messages, int count) {
    bool all = true;
    for (int i = 0; i < count; ++i)
        all = SendMidiMessage(messages[i]) && all;
    return all;
}

int IPlugBase::VersionNumber(bool decimal) const {
    if (!decimal) return version_;
    int major = (version_ >> 16) & 0xFFFF, minor = (version_ >> 8) & 0xFF, patch = version_ & 0xFF;
    return (major * 100 + minor) * 100 + patch;
}

void IPlugBase::VersionText(char* buffer, int size) const {
    if (!buffer || size <= 0) return;
    std::snprintf(buffer, size, "v%d.%02d", (version_ >> 16) & 0xFFFF, (version_ >> 8) & 0xFF);
}
