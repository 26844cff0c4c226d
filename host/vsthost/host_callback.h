// The host's side of the callback a plug-in calls (audioMasterXxx requests): transport and
// time information, host identity, capability answers (whether it resizes windows for an
// editor is the caller's choice), and a log of what the plug-in asked and reported.
#pragma once

#include "vst/aeffect.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace vhost {

constexpr const char* kHostProductString = "velmorande-host";
constexpr const char* kHostVendorString = "Velmorande";

// One request as the plug-in made it; `text` holds the question of audioMasterCanDo.
struct HostRequest {
    VstInt32 opcode = 0;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    float opt = 0.0f;
    std::string text;
};

// A step of an edit gesture as the plug-in reported it; `value` is the automated value.
struct EditEvent {
    enum Kind { Begin, Automate, End } kind;
    VstInt32 index;
    float value;
    bool operator==(const EditEvent&) const = default;
};

class HostCallback {
public:
    HostCallback();
    ~HostCallback();
    HostCallback(const HostCallback&) = delete;
    HostCallback& operator=(const HostCallback&) = delete;

    // The function handed to a plug-in's entry point; it finds the HostCallback an effect
    // belongs to, or the one that is loading an effect on this thread.
    static audioMasterCallback Function() noexcept;

    // Requests made with this effect go to this object from now on.
    void Attach(AEffect* effect);
    void Detach(AEffect* effect);

    // Makes requests without a known effect (made from inside the entry point) go to this
    // object on the current thread, for the life of the scope.
    class LoadingScope {
    public:
        explicit LoadingScope(HostCallback& host);
        ~LoadingScope();
        LoadingScope(const LoadingScope&) = delete;
        LoadingScope& operator=(const LoadingScope&) = delete;

    private:
        HostCallback* previous_;
    };

    // The product name (audioMasterGetProductString) and the version as a decimal number
    // major * 10000 + minor * 100 + patch (audioMasterGetVendorVersion).
    void SetIdentity(std::string product, VstIntPtr vendorVersion);
    const std::string& Product() const noexcept { return product_; }

    void SetSampleRate(double sampleRate);
    void SetBlockSize(VstInt32 blockSize);
    void SetTempo(double bpm);
    void SetTimeSignature(VstInt32 numerator, VstInt32 denominator);
    // Position of the next block's first sample; the transport plays from the first block.
    void SetPosition(std::int64_t samplePosition, bool playing);
    // Flags left out of every time answer, e.g. kVstTempoValid for a host that knows no tempo.
    void WithholdTimeFlags(VstInt32 flags);
    // Whether audioMasterGetTime answers with time information at all (on by default).
    void SetTimeInfoAvailable(bool available);
    // Whether the host says it can do "sizeWindow" and grants audioMasterSizeWindow (off by
    // default: this host puts no window around a plug-in's editor that it would resize).
    void SetResizesWindows(bool resizes);

    double SampleRate() const noexcept { return time_.sampleRate; }
    VstInt32 BlockSize() const noexcept { return blockSize_; }
    const VstTimeInfo& TimeInfo() const noexcept { return time_; }

    // Logging every request is off by default: a long render asks for the time per block.
    void SetRecording(bool on);
    std::vector<HostRequest> Requests() const;
    // The edit gestures and automation among the logged requests, in order.
    std::vector<EditEvent> EditEvents() const;
    void ClearRequests();
    // How often an opcode was requested (always counted, opcodes 0..127).
    std::uint64_t Count(VstInt32 opcode) const;
    // How often an opcode was requested with this index, among the logged requests.
    std::uint64_t Count(VstInt32 opcode, VstInt32 index) const;

    // Answers one request; never throws into the plug-in.
    VstIntPtr Handle(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) noexcept;

    // 1 for what this host does, -1 for what it knows but does not do, 0 otherwise.
    static VstIntPtr CanDo(const char* question) noexcept;

private:
    void UpdateMusicalPosition();
    void UpdateFlags();

    VstTimeInfo time_{};
    VstInt32 blockSize_ = 512;
    VstInt32 currentId_ = 0;
    bool wasPlaying_ = false;
    VstInt32 flags_ = 0; // before withholding
    VstInt32 withheldFlags_ = 0;
    bool timeAvailable_ = true;
    bool resizesWindows_ = false;
    std::string product_ = kHostProductString;
    VstIntPtr vendorVersion_;

    mutable std::mutex logMutex_;
    bool recording_ = false;
    std::vector<HostRequest> log_;
    std::array<std::uint64_t, 128> counts_{};
};

} // namespace vhost
