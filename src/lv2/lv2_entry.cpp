// The LV2 library's exported entries, for the plug-in whose URI the build gives.
#include "lv2/lv2_plugin.h"

#include <string>

#ifndef VELMORANDE_LV2_URI
#error "the module's build names the plug-in's URI"
#endif

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    static const LV2_Descriptor descriptor = Lv2EffectDescriptor(VELMORANDE_LV2_URI);
    return index == 0 ? &descriptor : nullptr;
}

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    static const std::string uri = Lv2PanelUri(VELMORANDE_LV2_URI);
    static const LV2UI_Descriptor descriptor = Lv2PanelDescriptor(uri.c_str());
    return index == 0 ? &descriptor : nullptr;
}
