#pragma once

// A host for tests: loads the built plug-in library with dlopen and talks to it only
// through the VST 2.x binary interface, recording every request the plug-in makes.
#include "vst/aeffect.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct HostRequest {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

class TestHost {
public:
    explicit TestHost(const char* productName = "velmorande tests") : product_(productName) {
        // Kept mapped, as hosts do: the plug-in's process-wide caches stay reachable.
        library_ = dlopen(VELMORANDE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!library_) throw std::runtime_error(dlerror());
        entry_ = reinterpret_cast<VstPluginEntryProc>(dlsym(library_, "VSTPluginMain"));
        if (!entry_) throw std::runtime_error("no VSTPluginMain");
    }
    ~TestHost() {
        for (AEffect* e : effects_)
            e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
        dlclose(library_);
    }
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    void* Symbol(const char* name) { return dlsym(library_, name); }

    // A new instance, not yet opened.
    AEffect* Create() {
        AEffect* effect = entry_(&TestHost::Callback);
        if (!effect) throw std::runtime_error("entry point returned nothing");
        effect->user = this;
        effects_.push_back(effect);
        return effect;
    }

    // A new instance opened the way hosts do.
    AEffect* Open(float sampleRate = 44100.0f, VstIntPtr blockSize = 512) {
        AEffect* effect = Create();
        Dispatch(effect, effOpen);
        Dispatch(effect, effSetSampleRate, 0, 0, nullptr, sampleRate);
        Dispatch(effect, effSetBlockSize, 0, blockSize);
        Dispatch(effect, effMainsChanged, 0, 1);
        return effect;
    }

    void Close(AEffect* effect) {
        std::erase(effects_, effect);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    static VstIntPtr Dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0.0f) {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }
    static std::string Text(AEffect* e, VstInt32 opcode, VstInt32 index = 0) {
        char buffer[256];
        std::memset(buffer, 'X', sizeof buffer);
        buffer[255] = '\0';
        Dispatch(e, opcode, index, 0, buffer);
        return buffer;
    }

    int Count(VstInt32 opcode, VstInt32 index = -1) const {
        int n = 0;
        for (const auto& r : requests)
            if (r.opcode == opcode && (index < 0 || r.index == index)) ++n;
        return n;
    }

    std::vector<HostRequest> requests;
    VstTimeInfo time{};
    bool giveTime = true;
    std::string product_;
    VstIntPtr vendorVersion = 10203;

private:
    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt) {
        if (opcode == audioMasterVersion) return 2400;
        auto* host = effect ? static_cast<TestHost*>(effect->user) : nullptr;
        if (!host) return 0;
        host->requests.push_back({opcode, index, value, opt});
        switch (opcode) {
        case audioMasterGetTime:
            return host->giveTime ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
        case audioMasterGetProductString:
            std::strncpy(static_cast<char*>(ptr), host->product_.c_str(), 255);
            return 1;
        case audioMasterGetVendorVersion:
            return host->vendorVersion;
        case audioMasterProcessEvents:
            return 1;
        default:
            return 0;
        }
    }

    void* library_ = nullptr;
    VstPluginEntryProc entry_ = nullptr;
    std::vector<AEffect*> effects_;
};

// 120 bpm, 4/4, as most hosts report while playing.
inline void SetTempo(TestHost& host, double bpm, double sampleRate = 44100.0) {
    host.time = VstTimeInfo{};
    host.time.sampleRate = sampleRate;
    host.time.tempo = bpm;
    host.time.timeSigNumerator = 4;
    host.time.timeSigDenominator = 4;
    host.time.flags = kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying;
}
