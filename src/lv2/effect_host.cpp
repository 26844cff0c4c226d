#include "lv2/effect_host.h"

#include "core/state_chunk.h"
#include "lv2/port_values.h"
#include "vst/entry_point.h"
#include "vst/plug_vst.h"

#include <cstring>

namespace {
// The VST 2.x version this host speaks, and the name the effect identifies it by.
constexpr VstIntPtr kHostVstVersion = 2400;
constexpr const char* kHostProduct = "LV2";
} // namespace

EffectHost::EffectHost(EffectListener* listener) : listener_(listener) {
    // A tempo from the start, and 4/4: hosts without a transport still hear the delay.
    time_.tempo = 120.0;
    time_.timeSigNumerator = 4;
    time_.timeSigDenominator = 4;
    time_.flags = kVstTempoValid | kVstTimeSigValid;
    effect_ = VSTPluginMain(&EffectHost::Callback);
    if (!effect_) return;
    // Requests made while the effect was built could not find us; from here on they do.
    effect_->user = this;
    Dispatch(effOpen);
}

EffectHost::~EffectHost() {
    if (!effect_) return;
    SetActive(false);
    Dispatch(effClose);
}

IPlugVST* EffectHost::Plug() const {
    return IPlugVST::FromDescriptor(effect_);
}

VstIntPtr EffectHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    return effect_ ? effect_->dispatcher(effect_, opcode, index, value, ptr, opt) : 0;
}

void EffectHost::Prepare(double sampleRate, int maxBlock) {
    time_.sampleRate = sampleRate;
    blockSize_ = maxBlock;
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    Dispatch(effSetBlockSize, 0, maxBlock);
}

void EffectHost::SetActive(bool active) {
    if (active == active_ || !effect_) return;
    active_ = active;
    if (active) {
        Dispatch(effMainsChanged, 0, 1);
        Dispatch(effStartProcess);
    } else {
        Dispatch(effStopProcess);
        Dispatch(effMainsChanged, 0, 0);
    }
}

bool EffectHost::SetFromPort(int paramIndex, float plain) {
    IPlugVST* plug = Plug();
    const IPlugParam* param = plug ? plug->GetParam(paramIndex) : nullptr;
    if (!param) return false;
    const std::optional<float> normalized = NormalizedFromPort(*param, plain);
    if (!normalized) return false;
    effect_->setParameter(effect_, paramIndex, *normalized);
    return true;
}

float EffectHost::PortValue(int paramIndex) const {
    IPlugVST* plug = Plug();
    const IPlugParam* param = plug ? plug->GetParam(paramIndex) : nullptr;
    return param ? static_cast<float>(param->Value()) : 0.0f;
}

std::vector<std::uint8_t> EffectHost::SaveChunk() {
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, 1, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

bool EffectHost::LoadChunk(const void* data, std::size_t size) {
    // Only a chunk of the effect's own format, as SaveChunk writes it: the VST 2.x
    // interface would read anything else as bare values.
    std::int32_t magic = 0;
    if (!data || size < 2 * sizeof magic || size > 0x7FFFFFFF) return false;
    std::memcpy(&magic, data, sizeof magic);
    if (magic != StateChunk::kMagic) return false;
    // A chunk that fails half-way must not leave half a sound: the one before comes back.
    const std::vector<std::uint8_t> before = SaveChunk();
    // The dispatcher reads the chunk only; its interface just has no const.
    if (Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(size), const_cast<void*>(data))) return true;
    if (!before.empty())
        Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(before.size()),
                 const_cast<std::uint8_t*>(before.data()));
    return false;
}

VstIntPtr VSTCALLBACK EffectHost::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt) {
    if (opcode == audioMasterVersion) return kHostVstVersion;
    auto* self = effect ? static_cast<EffectHost*>(effect->user) : nullptr;
    if (opcode == audioMasterGetProductString) {
        if (ptr) std::strcpy(static_cast<char*>(ptr), kHostProduct);
        return 1;
    }
    return self ? self->Answer(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr EffectHost::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
    switch (opcode) {
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&time_);
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(time_.sampleRate);
    case audioMasterGetBlockSize:
        return blockSize_;
    case audioMasterAutomate:
        if (listener_) listener_->Automated(index, opt);
        return 1;
    case audioMasterBeginEdit:
        if (listener_) listener_->EditBegun(index);
        return 1;
    case audioMasterEndEdit:
        if (listener_) listener_->EditEnded(index);
        return 1;
    case audioMasterSizeWindow:
        if (listener_) listener_->EditorResized(index, static_cast<int>(value));
        return 1;
    default:
        return 0;
    }
}
