// The library's exported entry: one effect instance per call.
#include "vst/entry_point.h"

#include "core/plug_creation.h"
#include "vst/plug_vst.h"
#include "vst/plugin_factory.h"

#include <algorithm>

AEffect* VSTPluginMain(audioMasterCallback host) {
    IPlugVST* plug = CreatePlugInstance([host] { return CreatePlugin(host); });
    if (!plug) return nullptr;
    AEffect* effect = plug->Descriptor();
    effect->numPrograms = std::max(effect->numPrograms, 1);
    return effect;
}
