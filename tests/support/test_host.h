#pragma once

// The tests' VST 2.x host: the host library's callback, recording every request a plug-in
// makes, and the instances it opens through the binary interface, from a library file or
// from an entry point already in the process. Plug-in objects made in this process talk to
// it too (InProcessPlug). The requests of all its instances land in one log.
#include "vst/aeffect.h"
#include "vsthost/dynamic_library.h"
#include "vsthost/host_callback.h"
#include "vsthost/plugin_instance.h"

#include <memory>
#include <string>
#include <vector>

using EditEvent = vhost::EditEvent;
using HostRequest = vhost::HostRequest;

class TestHost : public vhost::HostCallback {
public:
    static constexpr const char* kProduct = "velmorande tests";

    // A host for plug-in objects of this process only.
    TestHost();
    // A host of the plug-in library at this path.
    explicit TestHost(const std::string& libraryPath, const char* product = kProduct);
    // A host of a plug-in whose entry point is already loaded.
    explicit TestHost(VstPluginEntryProc entry, const char* product = kProduct);
    ~TestHost();

    void* Symbol(const char* name) const { return library_ ? library_->Symbol(name) : nullptr; }

    // A new instance, not yet opened.
    AEffect* Create();
    // A new instance opened the way hosts do: effOpen, sample rate and block size, switched on.
    AEffect* Open(double sampleRate = 44100.0, VstInt32 blockSize = 512);
    // Closes an instance (effClose); its AEffect is gone afterwards.
    void Close(AEffect* effect);
    void CloseAll() { instances_.clear(); }
    vhost::PluginInstance& Instance(AEffect* effect);

    static VstIntPtr Dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0.0f) {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }
    // A text request's answer; the buffer is filled beforehand, so a missing terminator shows.
    static std::string Text(AEffect* e, VstInt32 opcode, VstInt32 index = 0);
    static std::string Display(AEffect* e, VstInt32 index) {
        return Text(e, effGetParamDisplay, index);
    }

    // Requests made with an opcode (and an index, when one is given).
    int Count(VstInt32 opcode, VstInt32 index = -1) const;
    // Edit steps of one kind reported for a parameter, or for any when no index is given.
    int EditCount(EditEvent::Kind kind, VstInt32 index = -1) const;
    // The parameter's last edit: a begin, then an automation, then an end.
    bool SawEditEnd(VstInt32 index) const;
    // Exactly one edit of the parameter, with its automation inside.
    bool SawEdit(VstInt32 index) const;

private:
    std::shared_ptr<vhost::DynamicLibrary> library_;
    VstPluginEntryProc entry_ = nullptr;
    // Declared last: the instances close before the library and the host go.
    std::vector<std::unique_ptr<vhost::PluginInstance>> instances_;
};

// One instance of a plug-in, opened the way hosts do on a test host of its own.
class HostedPlugin {
public:
    explicit HostedPlugin(VstPluginEntryProc entry, const char* product = TestHost::kProduct,
                          double sampleRate = 44100.0, VstInt32 blockSize = 512)
        : host(entry, product), e(host.Open(sampleRate, blockSize)) {}

    TestHost host;
    AEffect* e; // null once closed

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return e ? TestHost::Dispatch(e, opcode, index, value, ptr, opt) : 0;
    }
    std::string Text(VstInt32 opcode, VstInt32 index = 0) {
        return TestHost::Text(e, opcode, index);
    }
    float Get(VstInt32 index) { return e->getParameter(e, index); }
    void Set(VstInt32 index, float value) { e->setParameter(e, index, value); }
    vhost::PluginInstance& Instance() { return host.Instance(e); }
    void Close() {
        host.Close(e);
        e = nullptr;
    }
};
