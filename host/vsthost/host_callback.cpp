#include "vsthost/host_callback.h"

#include "product/version.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace vhost {
namespace {

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<const AEffect*, HostCallback*>& Registry() {
    static std::unordered_map<const AEffect*, HostCallback*> map;
    return map;
}

thread_local HostCallback* loadingHost = nullptr;

HostCallback* FindHost(const AEffect* effect) {
    if (effect) {
        std::lock_guard lock(RegistryMutex());
        auto it = Registry().find(effect);
        if (it != Registry().end()) return it->second;
    }
    return loadingHost;
}

extern "C" VstIntPtr VSTCALLBACK HostEntry(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                           VstIntPtr value, void* ptr, float opt) {
    if (HostCallback* host = FindHost(effect))
        return host->Handle(effect, opcode, index, value, ptr, opt);
    // A plug-in asking before any host claimed it still learns which interface it talks to.
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// Copies a text into a plug-in's buffer; the interface promises 256 bytes for these strings,
// and the nominal size is respected so that smaller buffers also survive.
void CopyText(void* ptr, const char* text, std::size_t capacity) {
    if (!ptr || capacity == 0) return;
    auto* out = static_cast<char*>(ptr);
    std::size_t n = std::min(std::strlen(text), capacity - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

} // namespace

HostCallback::HostCallback()
    : vendorVersion_(product::kVersionMajor * 10000 + product::kVersionMinor * 100 +
                     product::kVersionPatch) {
    time_.sampleRate = 44100.0;
    time_.tempo = 120.0;
    time_.timeSigNumerator = 4;
    time_.timeSigDenominator = 4;
    SetPosition(0, false);
}

HostCallback::~HostCallback() {
    std::lock_guard lock(RegistryMutex());
    std::erase_if(Registry(), [this](const auto& entry) { return entry.second == this; });
}

audioMasterCallback HostCallback::Function() noexcept {
    return &HostEntry;
}

void HostCallback::Attach(AEffect* effect) {
    if (!effect) return;
    currentId_ = effect->uniqueID;
    std::lock_guard lock(RegistryMutex());
    Registry()[effect] = this;
}

void HostCallback::Detach(AEffect* effect) {
    std::lock_guard lock(RegistryMutex());
    auto it = Registry().find(effect);
    if (it != Registry().end() && it->second == this) Registry().erase(it);
}

HostCallback::LoadingScope::LoadingScope(HostCallback& host) : previous_(loadingHost) {
    loadingHost = &host;
}

HostCallback::LoadingScope::~LoadingScope() {
    loadingHost = previous_;
}

void HostCallback::SetIdentity(std::string product, VstIntPtr vendorVersion) {
    product_ = std::move(product);
    vendorVersion_ = vendorVersion;
}

void HostCallback::SetSampleRate(double sampleRate) {
    time_.sampleRate = sampleRate;
    UpdateMusicalPosition();
}

void HostCallback::SetBlockSize(VstInt32 blockSize) {
    blockSize_ = blockSize;
}

void HostCallback::SetTempo(double bpm) {
    time_.tempo = bpm;
    UpdateMusicalPosition();
}

void HostCallback::SetTimeSignature(VstInt32 numerator, VstInt32 denominator) {
    time_.timeSigNumerator = numerator;
    time_.timeSigDenominator = denominator;
    UpdateMusicalPosition();
}

void HostCallback::SetPosition(std::int64_t samplePosition, bool playing) {
    time_.samplePos = static_cast<double>(samplePosition);
    flags_ = kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid | kVstNanosValid;
    if (playing) flags_ |= kVstTransportPlaying;
    if (playing != wasPlaying_) flags_ |= kVstTransportChanged;
    wasPlaying_ = playing;
    UpdateFlags();
    UpdateMusicalPosition();
}

void HostCallback::WithholdTimeFlags(VstInt32 flags) {
    withheldFlags_ = flags;
    UpdateFlags();
}

void HostCallback::UpdateFlags() {
    time_.flags = flags_ & ~withheldFlags_;
}

void HostCallback::SetTimeInfoAvailable(bool available) {
    timeAvailable_ = available;
}

void HostCallback::SetResizesWindows(bool resizes) {
    resizesWindows_ = resizes;
}

void HostCallback::UpdateMusicalPosition() {
    double seconds = time_.sampleRate > 0.0 ? time_.samplePos / time_.sampleRate : 0.0;
    time_.nanoSeconds = seconds * 1e9;
    time_.ppqPos = seconds * time_.tempo / 60.0;
    // A bar holds numerator notes of 1/denominator: 4 * numerator / denominator quarters.
    const double quarters = time_.timeSigDenominator > 0 && time_.timeSigNumerator > 0
                                ? 4.0 * time_.timeSigNumerator / time_.timeSigDenominator
                                : 4.0;
    time_.barStartPos = std::floor(time_.ppqPos / quarters) * quarters;
}

void HostCallback::SetRecording(bool on) {
    std::lock_guard lock(logMutex_);
    recording_ = on;
}

std::vector<HostRequest> HostCallback::Requests() const {
    std::lock_guard lock(logMutex_);
    return log_;
}

void HostCallback::ClearRequests() {
    std::lock_guard lock(logMutex_);
    log_.clear();
    counts_.fill(0);
}

std::vector<EditEvent> HostCallback::EditEvents() const {
    std::lock_guard lock(logMutex_);
    std::vector<EditEvent> events;
    for (const HostRequest& r : log_) {
        if (r.opcode == audioMasterBeginEdit)
            events.push_back({EditEvent::Begin, r.index, 0.0f});
        else if (r.opcode == audioMasterAutomate)
            events.push_back({EditEvent::Automate, r.index, r.opt});
        else if (r.opcode == audioMasterEndEdit)
            events.push_back({EditEvent::End, r.index, 0.0f});
    }
    return events;
}

std::uint64_t HostCallback::Count(VstInt32 opcode) const {
    std::lock_guard lock(logMutex_);
    return opcode >= 0 && opcode < static_cast<VstInt32>(counts_.size()) ? counts_[opcode] : 0;
}

std::uint64_t HostCallback::Count(VstInt32 opcode, VstInt32 index) const {
    std::lock_guard lock(logMutex_);
    return static_cast<std::uint64_t>(
        std::count_if(log_.begin(), log_.end(), [&](const HostRequest& r) {
            return r.opcode == opcode && r.index == index;
        }));
}

VstIntPtr HostCallback::CanDo(const char* question) noexcept {
    if (!question) return 0;
    static constexpr const char* yes[] = {"sendVstTimeInfo", "receiveVstEvents",
                                          "receiveVstMidiEvent", "startStopProcess"};
    static constexpr const char* no[] = {
        "sendVstEvents",    "sendVstMidiEvent",  "reportConnectionChanges",
        "acceptIOChanges",  "sizeWindow",        "offline",
        "openFileSelector", "closeFileSelector", "supplyIdle",
        "shellCategory",    "editFile",          "supportShell"};
    for (const char* q : yes)
        if (std::strcmp(q, question) == 0) return 1;
    for (const char* q : no)
        if (std::strcmp(q, question) == 0) return -1;
    return 0;
}

VstIntPtr HostCallback::Handle(AEffect* /*effect*/, VstInt32 opcode, VstInt32 index,
                               VstIntPtr value, void* ptr, float opt) noexcept {
    try {
        {
            std::lock_guard lock(logMutex_);
            if (opcode >= 0 && opcode < static_cast<VstInt32>(counts_.size())) ++counts_[opcode];
            if (recording_) {
                HostRequest request{opcode, index, value, opt, {}};
                if (opcode == audioMasterCanDo && ptr)
                    request.text.assign(static_cast<const char*>(ptr),
                                        strnlen(static_cast<const char*>(ptr), 256));
                log_.push_back(std::move(request));
            }
        }
        switch (opcode) {
        case audioMasterVersion:
            return kVstVersion;
        case audioMasterCurrentId:
            return currentId_;
        case audioMasterGetTime:
            // Every field is kept valid, whatever the filter in `value` asks for.
            return timeAvailable_ ? reinterpret_cast<VstIntPtr>(&time_) : 0;
        case audioMasterGetSampleRate:
            return static_cast<VstIntPtr>(std::lround(time_.sampleRate));
        case audioMasterGetBlockSize:
            return blockSize_;
        case audioMasterGetVendorString:
            CopyText(ptr, kHostVendorString, kVstMaxVendorStrLen);
            return 1;
        case audioMasterGetProductString:
            CopyText(ptr, product_.c_str(), kVstMaxProductStrLen);
            return 1;
        case audioMasterGetVendorVersion:
            return vendorVersion_;
        case audioMasterCanDo:
            if (resizesWindows_ && ptr &&
                std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0)
                return 1;
            return CanDo(static_cast<const char*>(ptr));
        case audioMasterSizeWindow:
            return resizesWindows_ ? 1 : 0;
        case audioMasterProcessEvents:
            // Taken and dropped: nothing downstream of an offline render plays MIDI.
            return ptr ? 1 : 0;
        case audioMasterAutomate:
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
        case audioMasterUpdateDisplay:
            return 1;
        case audioMasterWantMidi:
            return 1;
        default:
            return 0;
        }
    } catch (...) {
        return 0;
    }
}

} // namespace vhost
