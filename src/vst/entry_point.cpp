// The library's exported entry: one effect instance per call.
#include "vst/aeffect.h"
#include "vst/plug_vst.h"
#include "vst/plugin_factory.h"

#include <algorithm>
#include <mutex>

#if defined(_WIN32)
#define VST_EXPORT __declspec(dllexport)
#else
#define VST_EXPORT __attribute__((visibility("default")))
#endif

extern "C" VST_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
    // Instances are built one at a time; the effect's constructor may take its own lock.
    static std::mutex creation;
    std::lock_guard lock(creation);
    IPlugVST* plug = CreatePlugin(host);
    if (!plug) return nullptr;
    plug->EnsurePreset();
    AEffect* effect = plug->Descriptor();
    effect->numPrograms = std::max(effect->numPrograms, 1);
    return effect;
}

// Older hosts look for "main". It cannot be declared as such in C++, so an assembler
// label gives this function that name.
extern "C" VST_EXPORT AEffect* VSTPluginMainAlias(audioMasterCallback host) asm("main");
extern "C" AEffect* VSTPluginMainAlias(audioMasterCallback host) {
    return VSTPluginMain(host);
}
