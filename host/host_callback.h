// The host's side of the callback a plug-in calls (audioMasterXxx requests): transport and
// time information, host identity, capability answers, and an optional log of requests.
#pragma once

#include "vst/aeffect.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace vhost {

constexpr VstInt32 kHostVstVersion = 2400;
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

class HostCallback {
public:
    HostCallback();
    ~HostCallback();
    HostCallback(const HostCallback&) = delete;
    HostCallback& operator=(const HostCallback&) = delete;

    // The function handed to a plug-in's entry point; it finds the HostCallback an effect
    // belongs to, or the one that is loading an effect on this thread.
    static audioMasterCallback function() noexcept;

    // Requests made with this effect go to this object from now on.
    void attach(AEffect* effect);
    void detach(AEffect* effect);

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

    void setSampleRate(double sampleRate);
    void setBlockSize(VstInt32 blockSize);
    void setTempo(double bpm);
    // Beats to the bar and the note value of a beat (3/4, 6/8), 4/4 until set.
    void setTimeSignature(int numerator, int denominator);
    // Position of the next block's first sample; the transport plays from the first block.
    void setPosition(std::int64_t samplePosition, bool playing);

    double sampleRate() const noexcept { return time_.sampleRate; }
    VstInt32 blockSize() const noexcept { return blockSize_; }
    const VstTimeInfo& timeInfo() const noexcept { return time_; }

    // Logging every request is off by default: a long render asks for the time per block.
    void setRecording(bool on);
    std::vector<HostRequest> requests() const;
    void clearRequests();
    // How often an opcode was requested (always counted, opcodes 0..127).
    std::uint64_t count(VstInt32 opcode) const;

    // Answers one request; never throws into the plug-in.
    VstIntPtr handle(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) noexcept;

    // 1 for what this host does, -1 for what it knows but does not do, 0 otherwise.
    static VstIntPtr canDo(const char* question) noexcept;

private:
    void updateMusicalPosition();

    VstTimeInfo time_{};
    VstInt32 blockSize_ = 512;
    VstInt32 currentId_ = 0;
    bool wasPlaying_ = false;

    mutable std::mutex logMutex_;
    bool recording_ = false;
    std::vector<HostRequest> log_;
    std::array<std::uint64_t, 128> counts_{};
};

} // namespace vhost
