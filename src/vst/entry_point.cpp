// The library's exported entry: one effect instance per call.
#include "vst/entry_point.h"

#include "vst/plug_vst.h"
#include "vst/plugin_factory.h"

#include <algorithm>
#include <mutex>

AEffect* VSTPluginMain(audioMasterCallback host) {
    // Instances are built one at a time; the effect's constructor may take its own lock.
    static std::mutex creation;
    std::lock_guard lock(creation);
    IPlugVST* plug = nullptr;
    try {
        plug = CreatePlugin(host);
        if (plug) plug->EnsurePreset();
    } catch (...) {
        // Whatever failed in construction, the host just gets no instance.
        delete plug;
        return nullptr;
    }
    if (!plug) return nullptr;
    AEffect* effect = plug->Descriptor();
    effect->numPrograms = std::max(effect->numPrograms, 1);
    return effect;
}
