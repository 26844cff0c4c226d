#pragma once

// The built plug-in library, loaded by the host library and talked to only through the
// VST 2.x binary interface; one host callback records every request its instances make.
#include "vst/aeffect.h"
#include "vsthost/host_callback.h"
#include "vsthost/plugin_instance.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

class LoadedPlugin {
public:
    explicit LoadedPlugin(const char* productName = "velmorande tests")
        : library_(std::make_shared<vhost::DynamicLibrary>(VELMORANDE_PLUGIN_PATH)) {
        host.setIdentity(productName, 10203);
        host.setRecording(true);
        host.withholdTimeFlags(~0);
    }

    void* Symbol(const char* name) { return library_->symbol(name); }

    // A new instance, not yet opened.
    AEffect* Create() {
        instances_.push_back(
            vhost::PluginInstance::fromLibrary(library_, host, vhost::Startup::CreateOnly));
        return &instances_.back()->effect();
    }

    // A new instance opened the way hosts do.
    AEffect* Open(float sampleRate = 44100.0f, VstInt32 blockSize = 512) {
        instances_.push_back(vhost::PluginInstance::fromLibrary(library_, host));
        instances_.back()->prepare(sampleRate, blockSize);
        instances_.back()->setActive(true);
        return &instances_.back()->effect();
    }

    void Close(AEffect* effect) {
        std::erase_if(instances_, [&](const auto& i) { return &i->effect() == effect; });
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

    // Requests made with an opcode (and an index, when one is given).
    int Count(VstInt32 opcode, VstInt32 index = -1) const {
        const auto requests = host.requests();
        return static_cast<int>(std::count_if(requests.begin(), requests.end(), [&](const auto& r) {
            return r.opcode == opcode && (index < 0 || r.index == index);
        }));
    }

    // Declared first: the instances close before the host goes.
    vhost::HostCallback host;

private:
    std::shared_ptr<vhost::DynamicLibrary> library_;
    std::vector<std::unique_ptr<vhost::PluginInstance>> instances_;
};

// A tempo the host reports as valid; until then the host's time information holds none.
inline void SetTempo(LoadedPlugin& plugin, double bpm) {
    plugin.host.withholdTimeFlags(0);
    plugin.host.setTempo(bpm);
}
