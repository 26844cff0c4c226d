#include "lv2/plug_lv2.h"

#include "core/host_ids.h"
#include "core/plug_creation.h"
#include "editor/plug_editor.h"
#include "lv2/plugin_factory.h"

#include <cstring>

IPlugLV2::IPlugLV2(Lv2Host* host, int nParams, const char* channelIOStr, int nPresets,
                   const char* effectName, const char* productName, const char* makerName,
                   int version, int uniqueId, int makerId, int latency, int midiMode,
                   bool doesChunks, bool isInstrument)
    : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, makerName, version,
                uniqueId, makerId, latency, midiMode, doesChunks, isInstrument),
      host_(host) {
    ConnectInputs(0, NInputs(), true);
    ConnectOutputs(0, NOutputs(), true);
}

IPlugLV2::~IPlugLV2() {
    DestroyEditor();
}

void IPlugLV2::HostBeginEdit(int paramIndex) {
    EndPendingEdit();
    if (host_) host_->EditBegun(paramIndex);
}

void IPlugLV2::HostBeginEditUnlessPending(int paramIndex) {
    PlugMutex::Guard lock(Mutex());
    if (paramIndex == PendingEdit()) return; // the gesture already begun goes on
    HostBeginEdit(paramIndex);
}

void IPlugLV2::HostAutomate(int paramIndex, double normalized) {
    if (host_) host_->Automated(paramIndex, normalized);
}

void IPlugLV2::HostEndEdit(int paramIndex) {
    if (host_) host_->EditEnded(paramIndex);
}

int IPlugLV2::HostSamplePosition() {
    return time_.frame >= 0.0 ? TruncateToInt32(time_.frame + 0.5) : 0;
}

void IPlugLV2::HostTimeSignature(int& numerator, int& denominator) {
    numerator = time_.beatsPerBar;
    denominator = time_.beatUnit;
}

void IPlugLV2::OnEditorResized(int, int) {
    // The host sizes the panel's window: the panel at the editor's scale.
    const IPlugEditor* editor = EditorOf(this);
    if (host_ && editor) host_->EditorResized(editor->WindowWidth(), editor->WindowHeight());
}

void IPlugLV2::InitForHost() {
    StoreHostIdentity(kHostUnknown, 0);
}

void IPlugLV2::TakeTime() {
    try {
        PlugMutex::Guard lock(Mutex());
        ProcessBlock(InputTable(), OutputTable(), 0);
    } catch (...) {
        // Nothing thrown may reach the host; the next block takes the time anyway.
    }
}

void IPlugLV2::Process(const float* const* inputs, float* const* outputs, int frames) {
    ProcessHostAudio<float, false>(inputs, outputs, frames);
    if (time_.playing && frames > 0) time_.frame += frames;
}

std::vector<std::uint8_t> IPlugLV2::SaveProgramChunk() {
    PlugMutex::Guard lock(Mutex());
    const int size = WriteHostChunk(chunk_, false);
    if (size <= 0) return {};
    return {chunk_.Data(), chunk_.Data() + size};
}

bool IPlugLV2::LoadProgramChunk(const void* data, std::size_t size) {
    // The chunk reader takes anything without the format's mark as bare values; a host's
    // state holds only what SaveProgramChunk wrote.
    std::int32_t magic = 0;
    if (!data || size < 2 * sizeof magic || size > 0x7FFFFFFF) return false;
    std::memcpy(&magic, data, sizeof magic);
    if (magic != StateChunk::kMagic) return false;
    PlugMutex::Guard lock(Mutex());
    // A chunk that fails half-way must not leave half a sound: the one before comes back.
    const std::vector<std::uint8_t> before = SaveProgramChunk();
    if (ReadHostChunk(chunk_, data, static_cast<int>(size), false)) return true;
    if (!before.empty())
        ReadHostChunk(chunk_, before.data(), static_cast<int>(before.size()), false);
    return false;
}

void Lv2PlugDeleter::operator()(IPlugLV2* plug) const {
    // The lock dies with the object: wait for any holder, then delete outside it.
    plug->Mutex().Enter();
    plug->Mutex().Leave();
    delete plug;
}

Lv2Plug CreateLv2Plug(Lv2Host* host) {
    return Lv2Plug(CreatePlugInstance([host] { return CreatePlugin(host); }));
}
